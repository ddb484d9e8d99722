#pragma once
// Picking whole colour classes: every patch of the class of a clicked patch, or
// of the class a colour names; where a class holds several curves, the clicked one.
#include "base/common.h"
#include "detect/colour_classes.h"
#include "detect/types.h"

#include <vector>

// The class of a patch (its first pixel's label), -1 where it has none.
int PatchClass(const ClassedInk& ink, const Patch& patch);
std::vector<int> PatchClasses(const ClassedInk& ink, const PatchList& patches);

// The classes a colour names: under the reference colours the reference nearest
// `rgb`; otherwise the learned class nearest it (none when nothing was learned).
std::vector<int> ClassesNearColour(const ClassedInk& ink, const cv::Vec3b& rgb);
// The classes a reference colour name stands for: that reference, or every
// learned class whose nearest reference it is.
std::vector<int> ClassesOfReference(const ClassedInk& ink, int reference);

// True when the patch's class is one of `classes`: the test of a whole-class pick.
bool InClasses(const ClassedInk& ink, const Patch& patch, const std::vector<int>& classes);

// Of the patches `member` marks (one class's patches), those along the curve through
// the patches `seeds` names. Where two long members lie one above the other over a
// stretch of columns, the class holds more than one curve: the seeds' curve is then
// followed piece by piece, a piece joining where it runs with it column by column or
// goes on from one of its ends across a gap. A class of one curve keeps every member.
std::vector<bool> AlongCurve(const PatchList& patches, const std::vector<bool>& member, const std::vector<size_t>& seeds);

// What a Shift+click at p takes: the patches `eligible` allows whose class is one of
// the patches the click hits (tolerance `tol`), along the clicked curve. `classes`
// gives each patch's class, parallel to `patches`.
std::vector<bool> CurveAt(const PatchList& patches, const std::vector<int>& classes, const std::vector<bool>& eligible,
                          IPoint p, int tol);

#pragma once
// Picking whole colour classes: every patch of the class of a clicked patch, or
// of the class a colour names.
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

// The classes of the patches a click at p hits (tolerance `tol`), in list order.
std::vector<int> ClassesAt(const ClassedInk& ink, const PatchList& patches, IPoint p, int tol);

// True when the patch's class is one of `classes`: the test of a whole-class pick.
bool InClasses(const ClassedInk& ink, const Patch& patch, const std::vector<int>& classes);

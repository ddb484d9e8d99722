#pragma once
// Picking whole colour classes: every patch of the class of a clicked patch, or
// of the class a colour names.
#include "app/common.h"
#include "detect/colour_classes.h"
#include "detect/types.h"

#include <cstddef>
#include <vector>

// The class of each patch (its first pixel's label), -1 where it has none.
std::vector<int> PatchClasses(const ClassedInk& ink, const PatchList& patches);

// The classes a colour names: under the reference colours the reference nearest
// `rgb`; otherwise the learned class nearest it (none when nothing was learned).
std::vector<int> ClassesNearColour(const ClassedInk& ink, const cv::Vec3b& rgb);
// The classes a reference colour name stands for: that reference, or every
// learned class whose nearest reference it is.
std::vector<int> ClassesOfReference(const ClassedInk& ink, int reference);

// Indices of the patches whose class is one of `classes`, in list order.
std::vector<size_t> PatchesOfClasses(const std::vector<int>& patchClasses, const std::vector<int>& classes);

// A whole-class pick at p: the classes of the patches a click at p hits (with
// tolerance `tol`), then every patch of those classes, in list order.
std::vector<size_t> WholeClassPick(const PatchList& patches, const std::vector<int>& patchClasses, IPoint p, int tol);

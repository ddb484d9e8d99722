#pragma once
// Pure rules of picking patches on the canvas: hit tests, rubber-band rules,
// bounding boxes and how a new processing result is merged with the picks.
#include <vector>

#include "base/common.h"
#include "detect/thinning.h"
#include "detect/types.h"

// The canvas's click tolerance: the column and one pixel either side, one pixel past each end.
constexpr int kHitTolerance = 2;

bool HitRun(IPoint p, const Run& run, int tol);
bool HitPatch(IPoint p, const Patch& patch, int tol);

// Box (left, top, right, bottom) of one patch: least/greatest column and row.
inline IRect PatchBox(const Patch& patch) { return PatchBoundingBox(patch); }
// Union of the patches' boxes widened by m; the unset rectangle for an empty list.
IRect RunsBoundingBox(const PatchList& patches, int m);

// Normalised copy (left <= right, top <= bottom).
IRect NormalizeRect(IRect r);
// Whether the patch's box meets the normalised rectangle r.
bool BoxMeets(const Patch& patch, const IRect& r);

// A left band (l, t, r, b) adds a patch with a run strictly inside horizontally that
// crosses the band vertically; a right band removes only patches whose run's second row
// lies inside it.
bool LeftBandTouches(const Patch& patch, const IRect& band);
bool RightBandTouches(const Patch& patch, const IRect& band);

bool Contains(const PatchList& list, const Patch& patch);

// Sorted union of two sorted lists; a patch in both appears once.
PatchList MergeSorted(const PatchList& a, const PatchList& b);

// After re-processing, every slot keeps its picks: the result list is the new patches
// plus every picked patch, and each slot keeps its patches in order without duplicates.
// newPatches is sorted in place; returns the merged list.
PatchList MergeResultsKeepingPicks(PatchList newPatches, std::vector<PatchList>& slots);

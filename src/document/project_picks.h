#pragma once
// Graph slots as a project's picks and back, and finding the picks again in
// another picture of the same layout, where a curve may have moved.
#include <opencv2/core.hpp>

#include <vector>

#include "detect/types.h"
#include "document/project_file.h"

// Two colours closer than this (red, green, blue distance) are one ink drawn twice;
// farther, a picked colour is not looked for in a class.
inline constexpr double kCarryColourDistance = 60;

// A pixel of the patch: the upper end of its first run.
IPoint PatchSeed(const Patch& patch);

// One pick per patch of each slot; colours[i] is the class colour of slot patch
// number i counted over all slots in order.
std::vector<ProjectGraph> PicksFromSlots(const std::vector<PatchList>& slots, const std::vector<cv::Vec3b>& colours);

// The slots exactly as saved.
std::vector<PatchList> SlotsFromPicks(const std::vector<ProjectGraph>& graphs);

// Slots for another picture's patches (colours parallel to patches). Each picked
// colour takes the class of the new picture nearest to it, if one lies within
// kCarryColourDistance; every patch of that class joins the graph that picked it.
// A class picked by several graphs goes, patch by patch, to the graph with the
// pick seed nearest the patch. Each slot keeps patch-list order.
std::vector<PatchList> CarryPicks(const std::vector<ProjectGraph>& graphs, const PatchList& patches,
                                  const std::vector<cv::Vec3b>& colours);

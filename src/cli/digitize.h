#pragma once
// What a person does on the canvas, as functions: the colour class of each patch,
// picking patches into graph slots, and the one-line JSON form of a patch.
#include <opencv2/core.hpp>

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "detect/types.h"
#include "document/document.h"

// The reference colour (index into kReferenceColours) each patch's pixels were
// classed as, found the way colour detection finds it: 3 x 3 Gaussian blur of the
// RGB image, 8-bit Lab, nearest reference at one pixel of the patch.
std::vector<int> PatchColours(const cv::Mat& image, const PatchList& patches);

// Pixels a patch covers: each run counts both its end rows.
long long PatchPixelCount(const Patch& patch);

// {"index":I,"box":[left,top,right,bottom],"pixels":N,"colour":"red"}; the box is inclusive.
std::string PatchJson(size_t index, const Patch& patch, int colour);

// Applies the steps in order to the document's graphs, as the canvas does: a
// point adds, in patch-list order, every patch not yet in the current graph that
// a click there hits; a band every such patch a left rubber band touches; a colour
// every such patch of that colour; NextGraph opens the next graph. `colours` is
// parallel to doc.Patches(). Returns the steps that added nothing, as typed. A
// colour takes only the patches `curve` marks (all when it is empty): legends and
// text drawn over the plot stay out of a whole-curve pick.
std::vector<std::string> ApplyPicks(Document& doc, const std::vector<int>& colours, const std::vector<PickStep>& steps,
                                    const std::vector<bool>& curve = {});

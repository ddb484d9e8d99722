#pragma once
// Thick curves drawn over one another. Where the upper curve covers one edge of
// the lower one, the lower curve's visible run in a column is short and its
// middle lies off the curve's centre. Restoring the covered part of the stroke
// from the curve's own thickness nearby gives each curve its own centre line.
#include <opencv2/core.hpp>

#include "detect/types.h"

struct OverlapSettings {
    int samples = 9;         // free runs the stroke's thickness is the median of, nearest first
    int reach = 300;         // columns either side to look for them
    int minThickness = 3;    // px; thinner strokes have no covered edge worth restoring
};

// The graph's patches with each run that ends against other ink (0 in `binary`,
// not the graph's own) and is shorter than the stroke's free runs nearby carried
// on across that ink to the nearby thickness. A run covered at both ends, or
// with no free run nearby, stays as it is. `binary` is the processing's binary
// picture (8-bit, 0 for ink); throws cv::Exception on another type.
PatchList RestoreCoveredEdges(const PatchList& graph, const cv::Mat& binary, const OverlapSettings& settings = {});

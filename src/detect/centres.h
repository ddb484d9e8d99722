#pragma once
// Sub-pixel curve centres read from the picture, and bridges over crossings.
#include "detect/thinning.h"
#include "detect/types.h"

#include <opencv2/core.hpp>

// Moves the thinned points of one graph (as BuildPointList makes them, sorted by
// x then y) to the ink-weighted centre of their stroke in the picture (8-bit, three
// channels). A point's stroke is the graph's run holding it in its column plus one
// fringe pixel at each end; each pixel weighs by how far its colour lies from the
// local background (read a few pixels beyond the stroke) toward the stroke's ink,
// from 0 to 1. A scatter marker (a small compact patch no curve runs through) gives
// one point at the weighted centroid of its ink. Points the runs cannot place
// (outside them, or two points in one run) stay as they are.
// With `bridge`, a gap of missing columns between two single points is filled by
// interpolation where the other ink there (another curve) covers every missing
// column and the gap is no wider than that ink's stroke plus 2 px.
// Returns the points sorted by x then y.
void PlaceCurveCentres(PointList& points, const PatchList& graph, const cv::Mat& picture, bool bridge);

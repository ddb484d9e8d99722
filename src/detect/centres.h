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
// one point at the weighted centroid of its ink; in a graph that also holds a
// curve, fewer than three such blobs are pieces of the curve instead. Points the runs cannot place
// (outside them, or two points in one run) stay as they are. A column of the graph
// without a point but with a single run gets a point at that run's centre (thinning
// eats into the free ends of strokes two pixels thick).
// With `bridge`, a gap of missing columns between two single points is filled by
// interpolation where the other ink there (another curve) covers every missing
// column and the gap is no wider than four times that ink's stroke plus 2 px (a
// crossing), or of any width where ink of another colour lies on the line in every
// column and the graph's own colour shows in under a quarter of them (another
// curve runs along this one and hides it).
// Returns the points sorted by x then y.
void PlaceCurveCentres(PointList& points, const PatchList& graph, const cv::Mat& picture, bool bridge);

// The ink-weighted centre row, as PlaceCurveCentres finds it, of the run of `patch`
// holding (col, row); `row` itself where no run holds it or the column lacks contrast.
double StrokeCentre(const Patch& patch, int col, int row, const cv::Mat& picture);

#pragma once
// Thinned form of patches: Zhang-Suen thinning, the point list that export and
// the thinning worker build from patches, and the patch box / hover key helpers.
#include <map>
#include <vector>

#include <opencv2/core.hpp>

#include "base/common.h"
#include "detect/types.h"

// Points in image pixels: x a column, y a row (a thinned point can sit on a half row).
using PointList = std::vector<cv::Point2d>;

// Thinned form of one patch: for each column, its skeleton rows, ascending.
using ColumnMap = std::map<int, std::vector<int>>;

// Thins a CV_8UC1 mask in place with the two-step Zhang-Suen rule. Any non-zero
// value counts as set and surviving pixels are written as 1. Only interior pixels
// can survive: the outermost rows and columns are cleared in the first pass.
// Returns the number of passes (the last one changes nothing).
int ThinLines(cv::Mat& mask);

// Turns patches into points sorted by x, then y. Without thinning every pixel of
// every run is a point (returns -1). With thinning the patches are painted into an
// image-sized mask (pixels outside the image are ignored), thinned, and each
// column's stretch of consecutive skeleton rows becomes one point at its middle
// row; returns the number of thinning passes. columnMap gets, per column, the
// rows of the points truncated toward zero.
int BuildPointList(PointList& points, const PatchList& patches, int imageHeight, int imageWidth, bool thin,
                   ColumnMap& columnMap);

// Inclusive bounds of a patch: left/right the least/greatest column, top/bottom
// the least/greatest row of any run end. An empty patch gives the unset rectangle.
IRect PatchBoundingBox(const Patch& patch);

// Packs the box scaled to 0..255 by the image's longer side into 32 bits:
// left in the top byte, then top, right and bottom.
int HoverKey(const IRect& bounds, int imageHeight, int imageWidth);

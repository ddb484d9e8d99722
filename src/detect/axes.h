#pragma once
// Finding the chart's frame: the long horizontal and vertical lines around the plot.
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <vector>

// Returns the rectangle just inside the frame lines of a binary image (0 ink,
// 255 background); where a side has no frame line the image edge serves. An image
// without pixels gives (0, 0, cols, rows). The input is not modified.
PlotArea DetectAxes(const cv::Mat& binary);

// The frame choice of DetectAxes from its qualifying segments (x1, y1, x2, y2):
// `vertical` holds segments with x1 == x2, `horizontal` ones with y1 == y2, both
// already longer than 40% of the image's height or width. Fills in image edges,
// skips clusters of close parallel lines and returns the area inside the frame.
PlotArea FrameFromSegments(std::vector<cv::Vec4i> vertical, std::vector<cv::Vec4i> horizontal, int rows,
                           int cols);

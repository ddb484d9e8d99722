#pragma once
// Erasing thin horizontal and vertical grid lines from a binary image.
#include "base/log_sink.h"

#include <opencv2/core.hpp>

#include <vector>

// The straight segments grid removal works from: horizontal ones (y1 == y2) sorted
// by row, vertical ones (x1 == x2) sorted by column, one segment per row or column.
struct GridSegments {
    std::vector<cv::Vec4i> horizontal;
    std::vector<cv::Vec4i> vertical;
};

// Finds the long straight edges of a binary image (Canny, probabilistic Hough).
GridSegments FindGridSegments(const cv::Mat& binary);

// Logs "Degridding...\n", finds the grid's edges and, when `removeGrid` is set,
// paints every grid line of the plot area background where the pixels just outside
// it are background, so curves crossing the grid keep their crossing pixels.
// Grid width 0 is treated as 1: the line primitive has no zero thickness.
void RemoveGrid(cv::Mat& binary, bool removeGrid, int left, int top, int right, int bottom, int gridWidth,
                LogSink& log);

// The erasing half of RemoveGrid for already found segments: each segment is paired
// with the next one (its far edge) when they are at most gridWidth + 1 apart. The
// horizontal and vertical passes each see the image as it was before either ran.
void EraseGrid(cv::Mat& binary, const GridSegments& segments, int left, int top, int right, int bottom,
               int gridWidth);

// Erases one horizontal grid line whose near edge is the segment's row and whose
// far edge lies `gap` rows below it, column by column over [left, right). Pixels
// outside the image read as background; drawing is clipped to the image. The
// segment's ends are put in order in place.
void EraseHorizontalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                             int gridWidth, int gap);
// The same for a vertical line, walking rows [top, bottom).
void EraseVerticalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                           int gridWidth, int gap);

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
// erases every grid line of the plot area except the strokes of curves crossing it.
void RemoveGrid(cv::Mat& binary, bool removeGrid, int left, int top, int right, int bottom, int gridWidth,
                LogSink& log);

// The erasing half of RemoveGrid for already found segments: each segment is paired
// with the next one (its far edge) when they are at most gridWidth + 1 apart
// (width 0 counts as 1). Vertical lines are erased first, then horizontal ones on
// the result, so no dot stays where two grid lines cross.
void EraseGrid(cv::Mat& binary, const GridSegments& segments, int left, int top, int right, int bottom,
               int gridWidth);

// Erases one horizontal grid line whose near edge is the segment's row and whose
// far edge lies `gap` rows below it (rows row + 1 .. row + gap), over the columns
// [left, right) and the rows [top, bottom]. A pixel stays only on the path of a
// curve crossing the line: between ink on the row just above and ink on the row
// just below the line, at most 8 (gap + 1) + gridWidth columns apart, so the curve
// keeps its stroke and no stub of the line stays beside it. Where the row below
// lies past `bottom`, only pixels under ink on the row above stay. Pixels outside
// the image read as background. The segment's ends are put in order in place.
void EraseHorizontalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                             int gridWidth, int gap);
// The same for a vertical line, walking rows [top, bottom).
void EraseVerticalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                           int gridWidth, int gap);

#pragma once
// Finding the chart's frame or open axes: the long horizontal and vertical lines around the plot.
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <vector>

// A straight line of ink: a band of neighbouring columns (vertical line) or rows
// (horizontal line), each holding a long run of ink.
struct AxisLine {
    int first = 0, last = 0;  // first and last column (row) of the band
    int from = 0, to = 0;     // first and last row (column) the line covers, inclusive
    bool operator==(const AxisLine& o) const {
        return first == o.first && last == o.last && from == o.from && to == o.to;
    }
};

// Ink runs may be broken by this many background pixels and still count as one line.
inline constexpr int kAxisLineGap = 4;

// The lines of a binary image (0 ink) whose longest run of ink, gaps of up to
// kAxisLineGap allowed and at least three quarters ink, is longer than `minLength`: in the columns when `vertical`,
// else in the rows. Bands of adjacent qualifying columns (rows) are one line,
// covering the union of their runs; a band at least a quarter as thick as it is
// long is a block of ink, not a line. Sorted by position.
std::vector<AxisLine> FindAxisLines(const cv::Mat& binary, bool vertical, int minLength);

// The plot area for the lines of a rows x cols picture, each longer than 40% of
// its side. A left line lies in the left 40% of the columns, a right line in the
// right 40%, a top line in the top 40% of the rows and a bottom line in the bottom
// 40%. With a left and a bottom line (axes), a top line counts only where it
// starts at the left line's top end and spans the bottom line, and a right line
// only where it ends the bottom line and spans the left one; otherwise the area
// runs to where the axes end. A box inside the plot is therefore never a frame
// edge. Without both axes each side takes its outermost line, or the image edge.
// The area lies just inside the lines.
PlotArea FrameFromLines(const std::vector<AxisLine>& vertical, const std::vector<AxisLine>& horizontal, int rows,
                        int cols);

// The plot area of a binary image (0 ink, 255 background): FrameFromLines of its
// lines longer than 40% of each side. An image without pixels gives
// (0, 0, cols, rows). The input is not modified.
PlotArea DetectAxes(const cv::Mat& binary);

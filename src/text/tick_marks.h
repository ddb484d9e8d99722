#pragma once
// Finding the tick marks along the bottom and left edges of the plot area and
// the boxes of the tick labels beside them.
#include <opencv2/core.hpp>

#include <string>
#include <vector>

#include "detect/types.h"

enum class PlotEdge { Bottom, Left };

struct TickMark {
    double position = 0;  // image column (bottom edge) or row (left edge), sub-pixel
    int length = 0;       // px across the frame line
    bool outside = true;  // drawn outside the plot area
    bool major = true;    // as long as the longest ticks on its side
};

// One label beside the edge: its box and the boxes of its glyphs (connected ink,
// left to right), all in image pixels.
struct TickLabelBox {
    cv::Rect box;
    std::vector<cv::Rect> glyphs;
};

struct EdgeScan {
    std::string problem;  // why nothing was found, empty when the frame line was
    int line = -1;        // outer row (bottom) or column (left) of the frame line
    std::vector<TickMark> ticks;  // along the edge, in order
    std::vector<TickLabelBox> labels;  // the first row (column) of text outside the ticks, in order
};

// Scans one edge of `area` (the plot area inside the frame) of a picture, grey or
// red-green-blue (8-bit; ink dark). Ticks are short strokes across the frame
// line, outside (preferred when there are at least two) or inside, where grid
// lines meeting the frame count as well. Throws std::invalid_argument for
// another type of picture.
EdgeScan ScanPlotEdge(const cv::Mat& image, const PlotArea& area, PlotEdge edge);

struct TickPairing {
    std::vector<int> tickOfLabel;  // per label: index into ticks, -1 when unpaired
    int ambiguous = 0;             // labels left out because two ticks or two labels competed
};

// Pairs each label with the major tick its centre stands at along the edge
// (column for the bottom edge, row for the left one). A label pairs only when one
// tick is clearly nearest and within a fraction of the label's own extent, and no
// other label claims the same tick.
TickPairing PairLabelsWithTicks(const std::vector<TickMark>& ticks, const std::vector<cv::Rect>& labels, PlotEdge edge);

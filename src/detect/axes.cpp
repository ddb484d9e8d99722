#include "detect/axes.h"

#include "detect/binarise.h"

#include <algorithm>

namespace {

// Longest run of ink in one row of pixels, gaps of up to kAxisLineGap allowed,
// among the runs that are mostly ink (a stack of text is not a line).
struct RowRun {
    int from = 0, to = -1, ink = 0;
    int Length() const { return to - from + 1; }
    bool Solid() const { return ink * 4 >= Length() * 3; }
};

RowRun LongestRun(const uchar* p, int n) {
    RowRun best, run;
    int last = -1 - kAxisLineGap - 1;
    for (int x = 0; x < n; ++x) {
        if (p[x] != kInk) continue;
        if (x - last - 1 > kAxisLineGap) {
            if (run.Solid() && run.Length() > best.Length()) best = run;
            run = {x, x, 0};
        }
        run.to = last = x;
        ++run.ink;
    }
    return run.Solid() && run.Length() > best.Length() ? run : best;
}

int Overlap(const AxisLine& line, int from, int to) {
    return std::max(0, std::min(line.to, to) - std::max(line.from, from) + 1);
}

// Whether `line` spans at least nine tenths of [from, to].
bool Spans(const AxisLine& line, int from, int to) { return Overlap(line, from, to) * 10 >= (to - from + 1) * 9; }

// How far a line may start or end from where the crossing axis ends: anti-aliasing
// and the line's own width.
int EndSlack(const AxisLine& line) { return 3 + line.last - line.first + 1; }

}  // namespace

std::vector<AxisLine> FindAxisLines(const cv::Mat& binary, bool vertical, int minLength) {
    std::vector<AxisLine> lines;
    if (binary.empty()) return lines;
    CV_Assert(binary.type() == CV_8UC1);
    cv::Mat source;
    if (vertical)
        cv::transpose(binary, source);  // columns become rows, read by row pointer
    else
        source = binary;
    for (int i = 0; i < source.rows; ++i) {
        const RowRun run = LongestRun(source.ptr<uchar>(i), source.cols);
        if (run.Length() <= minLength) continue;
        if (!lines.empty() && lines.back().last == i - 1) {
            AxisLine& band = lines.back();
            band.last = i;
            band.from = std::min(band.from, run.from);
            band.to = std::max(band.to, run.to);
        } else {
            lines.push_back({i, i, run.from, run.to});
        }
    }
    // A block of ink is no line: a line is far longer than it is thick.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const AxisLine& l) { return (l.last - l.first + 1) * 4 > l.to - l.from + 1; }),
                lines.end());
    return lines;
}

PlotArea FrameFromLines(const std::vector<AxisLine>& vertical, const std::vector<AxisLine>& horizontal, int rows,
                        int cols) {
    PlotArea area{0, 0, std::max(cols, 0), std::max(rows, 0)};
    if (rows <= 0 || cols <= 0) return area;
    const AxisLine *left = nullptr, *bottom = nullptr;
    std::vector<const AxisLine*> rights, tops;  // outermost first
    for (const AxisLine& v : vertical) {
        if (v.last <= 0.4 * cols && !left) left = &v;
        if (v.first >= 0.6 * cols) rights.insert(rights.begin(), &v);
    }
    for (const AxisLine& h : horizontal) {
        if (h.last <= 0.4 * rows) tops.push_back(&h);
        if (h.first >= 0.6 * rows) bottom = &h;
    }
    const AxisLine* top = tops.empty() ? nullptr : tops.front();
    const AxisLine* right = rights.empty() ? nullptr : rights.front();
    if (left && bottom) {
        // Axes: the frame closes only with lines that meet their ends and span them.
        top = nullptr;
        for (const AxisLine* t : tops)
            if (std::abs(t->first - left->from) <= EndSlack(*t) && Spans(*t, left->first, bottom->to)) {
                top = t;
                break;
            }
        const int topRow = top ? top->first : left->from;
        right = nullptr;
        for (const AxisLine* r : rights)
            if (std::abs(r->last - bottom->to) <= EndSlack(*r) && Spans(*r, topRow, bottom->last)) {
                right = r;
                break;
            }
        // A lone top or right line thinner than the axis it meets is a grid line drawn
        // at the axes' end, not an edge: a frame's four edges are drawn alike.
        const auto thick = [](const AxisLine* l) { return l->last - l->first + 1; };
        if (top && !right && thick(top) < thick(left)) top = nullptr;
        if (right && !top && thick(right) < thick(bottom)) right = nullptr;
        area.top = top ? top->last + 1 : left->from;
        area.right = right ? right->first : std::min(bottom->to + 1, cols);
    } else {
        if (top) area.top = top->last + 1;
        if (right) area.right = right->first;
    }
    if (left) area.left = left->last + 1;
    if (bottom) area.bottom = bottom->first;
    return area;
}

PlotArea DetectAxes(const cv::Mat& binary) {
    const int rows = binary.rows, cols = binary.cols;
    if (binary.empty()) return FrameFromLines({}, {}, rows, cols);
    const int tRows = static_cast<int>(0.4 * rows), tCols = static_cast<int>(0.4 * cols);
    return FrameFromLines(FindAxisLines(binary, true, tRows), FindAxisLines(binary, false, tCols), rows, cols);
}

#include "detect/grid.h"
#include "detect/segments.h"

#include "detect/binarise.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace {

void OrderEnds(cv::Vec4i& s) {
    if (s[0] > s[2]) std::swap(s[0], s[2]);
    if (s[1] > s[3]) std::swap(s[1], s[3]);
}

// Pixels addressed along a grid line (u) and across it (v): for a horizontal line
// u is the column and v the row, for a vertical one the other way round. Anything
// outside the image is background.
class LineView {
public:
    LineView(cv::Mat& image, bool vertical) : image_(image), vertical_(vertical) {}
    bool Ink(int u, int v) const {
        const int r = vertical_ ? u : v, c = vertical_ ? v : u;
        return r >= 0 && r < image_.rows && c >= 0 && c < image_.cols && image_.ptr<uchar>(r)[c] == kInk;
    }
    void Erase(int u, int v) {
        const int r = vertical_ ? u : v, c = vertical_ ? v : u;
        if (r >= 0 && r < image_.rows && c >= 0 && c < image_.cols) image_.ptr<uchar>(r)[c] = kBackground;
    }
    int Length() const { return vertical_ ? image_.rows : image_.cols; }

private:
    cv::Mat& image_;
    bool vertical_;
};

// Erases the line whose near edge is v and whose far edge lies `gap` further, over
// u in [u0, u1), its rows limited to [vLow, vHigh]. A pixel of the line stays only
// on the stroke of a curve crossing it: on the straight path from ink just before
// the near edge to ink just past the far edge (reaching at most `reach` along the
// line). So no stub of the line stays beside the curve. Without a far row (past
// vHigh) the line stays only under ink that continues it across the near edge.
void EraseLine(LineView view, int u0, int u1, int v, int gap, int vLow, int vHigh, int reach) {
    const int vb = v + gap + 1;
    const bool twoSides = vb <= vHigh;
    u0 = std::max(u0, 0);
    u1 = std::min(u1, view.Length());
    if (u0 >= u1) return;
    // Ink of the near and far rows over [u0 - reach, u1 + reach): prefix counts, and
    // the length of the run of ink each pixel belongs to.
    const int base = u0 - reach, n = u1 - u0 + 2 * reach;
    std::vector<int> nearInk(n + 1, 0), farInk(n + 1, 0), nearRun(n, 0), farRun(n, 0);
    for (int i = 0; i < n; ++i) {
        nearInk[i + 1] = nearInk[i] + view.Ink(base + i, v);
        farInk[i + 1] = farInk[i] + (twoSides && view.Ink(base + i, vb));
    }
    for (auto [ink, run] : {std::pair(&nearInk, &nearRun), std::pair(&farInk, &farRun)})
        for (int i = 0, j = 0; i < n; i = std::max(j, i + 1)) {
            for (j = i; j < n && (*ink)[j + 1] > (*ink)[j]; ++j) {}
            std::fill(run->begin() + i, run->begin() + j, j - i);
        }
    auto any = [&](const std::vector<int>& ink, int a, int b) {  // ink in [a, b]
        a = std::max(a, base), b = std::min(b, base + n - 1);
        return a <= b && ink[b - base + 1] - ink[a - base] > 0;
    };
    for (int u = u0; u < u1; ++u) {
        const bool nearby = any(nearInk, u - reach, u + reach) && (!twoSides || any(farInk, u - reach, u + reach));
        for (int i = 1; i <= gap; ++i) {
            const int row = v + i;
            if (row < vLow || row > vHigh) continue;
            bool keep = false;
            if (nearby && !twoSides) keep = view.Ink(u, v);
            // A path from ink at a on the near row to ink at b on the far row that
            // passes within a pixel of u on this row. The two ends belong to one
            // stroke: they lie no further apart than the stroke runs along the line.
            const double t = double(i) / (gap + 1);
            for (int a = std::max(u - reach, base); nearby && twoSides && a <= u + reach && !keep; ++a) {
                const int along = nearRun[a - base];
                if (!along) continue;
                const int b0 = std::max(int(std::floor(a + (u - 1 - a) / t)) + 1, base);
                const int b1 = std::min(int(std::ceil(a + (u + 1 - a) / t)) - 1, base + n - 1);
                for (int b = b0; b <= b1 && !keep; ++b) {
                    const int other = farRun[b - base];
                    keep = other && 2 * std::abs(b - a) <= along + other + 2 * (gap + 1);
                }
            }
            if (!keep) view.Erase(u, row);
        }
    }
}

// How far along the line a crossing curve may travel while it crosses: shallow
// curves run along a line for several times its width.
int CrossingReach(int gap, int gridWidth) { return 8 * (gap + 1) + std::max(1, gridWidth); }

}  // namespace

GridSegments FindGridSegments(const cv::Mat& binary) {
    GridSegments found;
    if (binary.empty() || binary.type() != CV_8UC1) return found;
    const cv::Mat source = binary.isSubmatrix() ? binary.clone() : binary;
    cv::Mat edges;
    cv::Canny(source, edges, 50, 150, 5, false);
    std::vector<cv::Vec4i> lines;
    cv::HoughLinesP(edges, lines, 1, CV_PI / 180, 20, 50, 2);
    // A single point would be both; anything slanted is neither.
    for (const cv::Vec4i& s : lines) {
        if (s[1] == s[3]) found.horizontal.push_back(s);
        if (s[0] == s[2]) found.vertical.push_back(s);
    }
    SortUniqueSegments(found.horizontal, 1);
    SortUniqueSegments(found.vertical, 0);
    return found;
}

void RemoveGrid(cv::Mat& binary, bool removeGrid, int left, int top, int right, int bottom, int gridWidth,
                LogSink& log) {
    log << "Degridding...\n";
    const GridSegments segments = FindGridSegments(binary);
    if (!removeGrid) return;
    EraseGrid(binary, segments, left, top, right, bottom, gridWidth);
}

void EraseGrid(cv::Mat& binary, const GridSegments& segments, int left, int top, int right, int bottom,
               int gridWidth) {
    if (binary.empty() || binary.type() != CV_8UC1) return;
    const int width = std::max(1, gridWidth);
    const auto& h = segments.horizontal;
    const auto& v = segments.vertical;
    // Vertical lines first, then horizontal ones on the result: where two grid
    // lines cross, each sees the other already gone and no dot is left.
    for (size_t k = 0; k < v.size(); ++k) {
        const int x = v[k][0];
        if (x < left || x > right) continue;
        const int gap = k + 1 == v.size() ? 1 : v[k + 1][0] - x;
        if (gap > width + 1) continue;
        cv::Vec4i s = v[k];
        EraseVerticalGridLine(binary, left, top, right, bottom, s, width, gap);
    }
    for (size_t k = 0; k < h.size(); ++k) {
        const int y = h[k][1];
        if (y < top || y > bottom) continue;
        const int gap = k + 1 == h.size() ? 1 : h[k + 1][1] - y;
        if (gap > width + 1) continue;
        cv::Vec4i s = h[k];
        EraseHorizontalGridLine(binary, left, top, right, bottom, s, width, gap);
    }
}

void EraseHorizontalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                             int gridWidth, int gap) {
    OrderEnds(segment);
    const int y = segment[1];
    if (y < top || y > bottom || left >= right || image.empty() || image.type() != CV_8UC1) return;
    EraseLine(LineView(image, false), left, right, y, gap, top, bottom, CrossingReach(gap, gridWidth));
}

void EraseVerticalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                           int gridWidth, int gap) {
    OrderEnds(segment);
    const int x = segment[0];
    if (x < left || x > right || top >= bottom || image.empty() || image.type() != CV_8UC1) return;
    EraseLine(LineView(image, true), top, bottom, x, gap, left, right, CrossingReach(gap, gridWidth));
}

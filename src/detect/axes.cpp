#include "detect/axes.h"
#include "detect/segments.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdlib>

namespace {

// Lines closer than this many pixels are treated as one thick frame line.
constexpr int kClusterGap = 4;

// Frame line on the low side (left or top): walks a chain of lines at most
// kClusterGap apart, all below `limit`, but never onto the last line.
cv::Vec4i LowFrame(const std::vector<cv::Vec4i>& v, int axis, int limit) {
    const size_t n = v.size();
    cv::Vec4i chosen = v[0];
    if (n < 2 || !(v[1][axis] - v[0][axis] <= kClusterGap && v[1][axis] < limit)) return chosen;
    for (size_t k = 1; k + 1 < n; ++k) {
        chosen = v[k];
        if (v[k + 1][axis] - v[k][axis] > kClusterGap || v[k + 1][axis] >= limit || k + 2 == n) break;
    }
    return chosen;
}

// Mirror of LowFrame for the high side (right or bottom), never onto the first line.
cv::Vec4i HighFrame(const std::vector<cv::Vec4i>& v, int axis, int limit) {
    const size_t n = v.size();
    cv::Vec4i chosen = v[n - 1];
    if (n < 2 || !(v[n - 2][axis] - v[n - 1][axis] >= -kClusterGap && v[n - 2][axis] > limit)) return chosen;
    for (size_t k = n - 2; k >= 1; --k) {
        chosen = v[k];
        if (v[k - 1][axis] - v[k][axis] < -kClusterGap || v[k - 1][axis] <= limit || k == 1) break;
    }
    return chosen;
}

}  // namespace

PlotArea FrameFromSegments(std::vector<cv::Vec4i> vertical, std::vector<cv::Vec4i> horizontal, int rows,
                           int cols) {
    if (rows <= 0 || cols <= 0) return {0, 0, std::max(cols, 0), std::max(rows, 0)};
    const int tRows = static_cast<int>(0.4 * rows);
    const int tCols = static_cast<int>(0.4 * cols);
    const cv::Vec4i topEdge(0, 0, cols, 0), bottomEdge(0, rows, cols, rows);
    const cv::Vec4i leftEdge(0, 0, 0, rows), rightEdge(cols, 0, cols, rows);
    auto& h = horizontal;
    auto& v = vertical;

    if (h.empty()) h = {topEdge, bottomEdge};
    if (v.empty()) v = {leftEdge, rightEdge};
    // A lone line is the frame on its own side; the image edge closes the other.
    if (h.size() == 1) h.push_back(tRows > h[0][1] ? bottomEdge : topEdge);
    if (v.size() == 1) v.push_back(tCols > v[0][0] ? rightEdge : leftEdge);

    SortUniqueSegments(h, 1);
    SortUniqueSegments(v, 0);

    if (0.6 * cols > v.back()[0]) v.push_back(rightEdge);
    if (v.front()[0] > 0.4 * cols) v.insert(v.begin(), leftEdge);
    if (0.6 * rows > h.back()[1]) h.push_back(bottomEdge);
    if (h.front()[1] > 0.4 * rows) h.insert(h.begin(), topEdge);

    const cv::Vec4i left = LowFrame(v, 0, tCols), right = HighFrame(v, 0, tCols);
    const cv::Vec4i top = LowFrame(h, 1, tRows), bottom = HighFrame(h, 1, tRows);

    // The frame lines lie outside the area; an image edge at 0 is not skipped.
    PlotArea area;
    area.left = left[0] == 0 ? 0 : left[0] + 1;
    area.top = top[1] == 0 ? 0 : top[1] + 1;
    area.right = right[2];
    area.bottom = bottom[3];
    return area;
}

PlotArea DetectAxes(const cv::Mat& binary) {
    const int rows = binary.rows, cols = binary.cols;
    if (binary.empty() || binary.type() != CV_8UC1) return FrameFromSegments({}, {}, rows, cols);
    // Canny would read past the edges of a view into its parent image.
    const cv::Mat source = binary.isSubmatrix() ? binary.clone() : binary;
    cv::Mat edges;
    cv::Canny(source, edges, 50, 150, 5, false);

    const int tRows = static_cast<int>(0.4 * rows);
    const int tCols = static_cast<int>(0.4 * cols);
    std::vector<cv::Vec4i> lines, vertical, horizontal;
    cv::HoughLinesP(edges, lines, 1, CV_PI / 180, tRows, 50, 4);
    for (const cv::Vec4i& s : lines)
        if (s[0] == s[2] && std::abs(s[1] - s[3]) > tRows) vertical.push_back(s);
    cv::HoughLinesP(edges, lines, 1, CV_PI / 180, tCols, 50, 4);
    for (const cv::Vec4i& s : lines)
        if (s[1] == s[3] && std::abs(s[0] - s[2]) > tCols) horizontal.push_back(s);
    return FrameFromSegments(std::move(vertical), std::move(horizontal), rows, cols);
}

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

// Reads pixels of one image row; anything outside the image is background.
class RowReader {
public:
    RowReader(const cv::Mat& image, int row)
        : p_(row >= 0 && row < image.rows ? image.ptr<uchar>(row) : nullptr), cols_(image.cols) {}
    bool Background(int x) const { return !p_ || x < 0 || x >= cols_ || p_[x] == kBackground; }

private:
    const uchar* p_;
    int cols_;
};

// A white dot of the grid's width: one degenerate line of the line primitive.
void Dot(cv::Mat& image, cv::Point a, cv::Point b, int width) {
    cv::line(image, a, b, cv::Scalar(kBackground), width, cv::LINE_8, 0);
}

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

    cv::Mat a = binary.clone();
    for (size_t k = 0; k < h.size(); ++k) {
        const int y = h[k][1];
        if (y < top || y > bottom) continue;
        const int gap = k + 1 == h.size() ? 1 : h[k + 1][1] - y;
        if (gap > width + 1) continue;
        cv::Vec4i s = h[k];
        EraseHorizontalGridLine(a, left, top, right, bottom, s, width, gap);
    }
    cv::Mat b = binary.clone();
    for (size_t k = 0; k < v.size(); ++k) {
        const int x = v[k][0];
        if (x < left || x > right) continue;
        const int gap = k + 1 == v.size() ? 1 : v[k + 1][0] - x;
        if (gap > width + 1) continue;
        cv::Vec4i s = v[k];
        EraseVerticalGridLine(b, left, top, right, bottom, s, width, gap);
    }
    // Background where either pass erased: NOT(NOT a AND NOT b) is a OR b.
    cv::bitwise_or(a, b, binary);
}

void EraseHorizontalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                             int gridWidth, int gap) {
    OrderEnds(segment);
    const int y = segment[1];
    const int yb = y + gap + 1;  // the row just below the line's far edge
    if (y < top || y > bottom || left >= right || image.empty() || image.type() != CV_8UC1) return;
    const int width = std::max(1, gridWidth);
    const RowReader near(image, y), far(image, yb);
    const bool twoRows = yb <= bottom;
    auto clear = [&](int x) {
        return near.Background(x) && (!twoRows || far.Background(x));
    };
    // Columns further outside than the dot's reach change nothing.
    const int x0 = std::max(left, -width - 1), x1 = std::min(right, image.cols + width + 1);
    for (int x = x0; x < x1; ++x) {
        if (!clear(x) || (x > left && !clear(x - 1)) || (x + 1 < right && !clear(x + 1))) continue;
        for (int i = 1; i <= gap; ++i)
            Dot(image, {x, std::max(y + i, top)}, {x, std::min(y + i, bottom)}, width);
    }
}

void EraseVerticalGridLine(cv::Mat& image, int left, int top, int right, int bottom, cv::Vec4i& segment,
                           int gridWidth, int gap) {
    OrderEnds(segment);
    const int x = segment[0];
    const int xb = x + gap + 1;  // the column just right of the line's far edge
    if (x < left || x > right || top >= bottom || image.empty() || image.type() != CV_8UC1) return;
    const int width = std::max(1, gridWidth);
    const bool twoColumns = xb <= right;
    auto clear = [&](const RowReader& row) {
        return row.Background(x) && (!twoColumns || row.Background(xb));
    };
    const int y0 = std::max(top, -width - 1), y1 = std::min(bottom, image.rows + width + 1);
    for (int y = y0; y < y1; ++y) {
        if (!clear(RowReader(image, y)) || (y > top && !clear(RowReader(image, y - 1))) ||
            (y + 1 < bottom && !clear(RowReader(image, y + 1))))
            continue;
        for (int i = 1; i <= gap; ++i)
            Dot(image, {std::max(x + i, left), y}, {std::min(x + i, right), y}, width);
    }
}

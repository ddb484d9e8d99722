#include "detect/overlap.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

PatchList RestoreCoveredEdges(const PatchList& graph, const cv::Mat& binary, const OverlapSettings& s) {
    CV_CheckTypeEQ(binary.type(), CV_8UC1, "covered edges need the 8-bit binary picture");
    cv::Mat own(binary.size(), CV_8UC1, cv::Scalar(0));
    const cv::Rect inside(0, 0, binary.cols, binary.rows);
    for (const Patch& p : graph)
        for (const Run& r : p)
            for (int y = std::min(r.row1, r.row2); y <= std::max(r.row1, r.row2); ++y)
                if (inside.contains({r.col, y})) own.at<uchar>(y, r.col) = 1;
    const auto foreign = [&](int y, int x) {
        return inside.contains({x, y}) && binary.at<uchar>(y, x) == 0 && own.at<uchar>(y, x) == 0;
    };

    // Free runs (neither end against other ink): column -> (middle row, length).
    std::map<int, std::vector<std::pair<double, int>>> free;
    for (const Patch& p : graph)
        for (const Run& r : p) {
            const int top = std::min(r.row1, r.row2), bottom = std::max(r.row1, r.row2);
            if (!foreign(top - 1, r.col) && !foreign(bottom + 1, r.col))
                free[r.col].emplace_back((top + bottom) / 2.0, bottom - top + 1);
        }

    PatchList out = graph;
    for (Patch& p : out) {
        for (Run& r : p) {
            int top = std::min(r.row1, r.row2), bottom = std::max(r.row1, r.row2);
            const bool coverTop = foreign(top - 1, r.col), coverBottom = foreign(bottom + 1, r.col);
            if (coverTop == coverBottom) continue;
            const int length = bottom - top + 1;
            const double middle = (top + bottom) / 2.0;
            // The stroke nearby: in the nearest columns, the free run nearest this one.
            std::vector<int> lengths;
            const auto take = [&](int col) {
                const auto it = free.find(col);
                if (it == free.end()) return;
                const auto nearest = std::min_element(it->second.begin(), it->second.end(), [&](auto& a, auto& b) {
                    return std::abs(a.first - middle) < std::abs(b.first - middle);
                });
                if (std::abs(nearest->first - middle) <= 2 * nearest->second + 4) lengths.push_back(nearest->second);
            };
            take(r.col);
            for (int d = 1; d <= s.reach && int(lengths.size()) < s.samples; ++d) take(r.col - d), take(r.col + d);
            if (lengths.empty()) continue;
            std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
            const int thickness = lengths[lengths.size() / 2];
            if (thickness < s.minThickness) continue;
            for (int need = thickness - length; need > 0; --need) {
                if (coverTop && foreign(top - 1, r.col)) --top;
                else if (coverBottom && foreign(bottom + 1, r.col)) ++bottom;
                else break;
            }
            r.row1 = top;
            r.row2 = bottom;
        }
        std::sort(p.begin(), p.end());
    }
    return out;
}

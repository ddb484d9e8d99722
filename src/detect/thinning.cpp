#include "detect/thinning.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include <opencv2/core.hpp>

namespace {

// Neighbour code of a pixel: bit k is set when neighbour P(k+2) is set, going
// clockwise from the pixel above: P2 up, P3 up-right, P4 right, ... P9 up-left.
struct ThinTables {
    std::array<uint8_t, 256> firstStep{};
    std::array<uint8_t, 256> secondStep{};
};

ThinTables MakeThinTables() {
    ThinTables t;
    for (int code = 0; code < 256; ++code) {
        int p[8];
        for (int k = 0; k < 8; ++k) p[k] = (code >> k) & 1;
        int transitions = 0, sum = 0;
        for (int k = 0; k < 8; ++k) {
            transitions += (p[k] == 0 && p[(k + 1) % 8] == 1);
            sum += p[k];
        }
        const int P2 = p[0], P4 = p[2], P6 = p[4], P8 = p[6];
        const bool removable = transitions == 1 && sum >= 2 && sum <= 6;
        t.firstStep[code] = removable && P2 * P4 * P6 == 0 && P4 * P6 * P8 == 0;
        t.secondStep[code] = removable && P2 * P4 * P8 == 0 && P2 * P6 * P8 == 0;
    }
    return t;
}

const ThinTables& Tables() {
    static const ThinTables tables = MakeThinTables();
    return tables;
}

inline int NeighbourCode(const cv::Mat& mask, const cv::Point& q) {
    const uchar* up = mask.ptr<uchar>(q.y - 1) + q.x;
    const uchar* mid = mask.ptr<uchar>(q.y) + q.x;
    const uchar* down = mask.ptr<uchar>(q.y + 1) + q.x;
    return (up[0] != 0) | (up[1] != 0) << 1 | (mid[1] != 0) << 2 | (down[1] != 0) << 3 | (down[0] != 0) << 4 |
           (down[-1] != 0) << 5 | (mid[-1] != 0) << 6 | (up[-1] != 0) << 7;
}

void ClearBorder(cv::Mat& mask) {
    mask.row(0).setTo(0);
    mask.row(mask.rows - 1).setTo(0);
    mask.col(0).setTo(0);
    mask.col(mask.cols - 1).setTo(0);
}

bool ByXThenY(const cv::Point2d& a, const cv::Point2d& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

}  // namespace

int ThinLines(cv::Mat& mask) {
    CV_Assert(mask.empty() || mask.type() == CV_8UC1);
    const int rows = mask.rows, cols = mask.cols;
    if (rows < 3 || cols < 3) {
        // No interior pixel: the single pass only clears the border, which is everything.
        if (!mask.empty()) mask.setTo(0);
        return 1;
    }

    // A pixel's verdict in a step depends only on its eight neighbours, so a step need
    // only look again at pixels whose neighbourhood changed since that step last ran:
    // every set pixel at first, afterwards the set neighbours of the pixels removed
    // since. Each pixel is removed once, which keeps the whole run linear in the ink.
    // queued bit s: the pixel waits in step s's list (duplicates would be removed twice).
    cv::Mat queued = cv::Mat::zeros(rows, cols, CV_8UC1);
    std::vector<cv::Point> pending[2];
    for (int r = 1; r < rows - 1; ++r) {
        const uchar* row = mask.ptr<uchar>(r);
        uchar* q = queued.ptr<uchar>(r);
        for (int c = 1; c < cols - 1; ++c)
            if (row[c]) {
                pending[0].emplace_back(c, r);
                q[c] = 3;
            }
    }
    pending[1] = pending[0];

    const auto enqueueNeighbours = [&](const cv::Point& p) {
        for (int dy = -1; dy <= 1; ++dy) {
            const int y = p.y + dy;
            if (y < 1 || y > rows - 2) continue;
            const uchar* m = mask.ptr<uchar>(y);
            uchar* q = queued.ptr<uchar>(y);
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p.x + dx;
                if (x < 1 || x > cols - 2 || !m[x]) continue;
                for (int s = 0; s < 2; ++s)
                    if (!(q[x] & (1 << s))) {
                        q[x] |= uchar(1 << s);
                        pending[s].emplace_back(x, y);
                    }
            }
        }
    };

    const ThinTables& tables = Tables();
    std::vector<cv::Point> doomed, examine;
    int passes = 0;
    for (;;) {
        bool changed = false;
        for (int step = 0; step < 2; ++step) {
            const auto& removable = step == 0 ? tables.firstStep : tables.secondStep;
            examine.swap(pending[step]);
            pending[step].clear();
            // Decide on the mask as it stood before the step, then delete.
            doomed.clear();
            for (const cv::Point& p : examine) {
                queued.at<uchar>(p) &= uchar(~(1 << step));
                if (mask.at<uchar>(p) && removable[NeighbourCode(mask, p)]) doomed.push_back(p);
            }
            if (passes == 0 && step == 0) {
                ClearBorder(mask);
                // The pixels beside the border saw it set; the next first step must look again.
                for (int c = 1; c < cols - 1; ++c) {
                    enqueueNeighbours({c, 0});
                    enqueueNeighbours({c, rows - 1});
                }
                for (int r = 1; r < rows - 1; ++r) {
                    enqueueNeighbours({0, r});
                    enqueueNeighbours({cols - 1, r});
                }
            }
            if (doomed.empty()) continue;
            changed = true;
            for (const cv::Point& p : doomed) mask.at<uchar>(p) = 0;
            for (const cv::Point& p : doomed) enqueueNeighbours(p);
        }
        ++passes;
        if (!changed) break;
    }
    for (int r = 1; r < rows - 1; ++r) {
        uchar* row = mask.ptr<uchar>(r);
        for (int c = 1; c < cols - 1; ++c) row[c] = row[c] != 0;
    }
    return passes;
}

int BuildPointList(PointList& points, const PatchList& patches, int imageHeight, int imageWidth, bool thin,
                   ColumnMap& columnMap) {
    points.clear();
    int result = -1;
    if (!thin) {
        for (const Patch& patch : patches)
            for (const Run& run : patch) {
                const int lo = std::min(run.row1, run.row2), hi = std::max(run.row1, run.row2);
                for (int y = lo; y <= hi; ++y) points.emplace_back(run.col, y);
            }
    } else {
        // Paint only the patches' box widened by one blank pixel, clipped to the image.
        // Outside it an image-sized mask would be all zero, and the window's edges are
        // either blank or the image's own edges, so thinning gives the same skeleton
        // and pass count as thinning the whole image.
        int x0 = imageWidth, y0 = imageHeight, x1 = -1, y1 = -1;
        for (const Patch& patch : patches)
            for (const Run& run : patch) {
                if (run.col < 0 || run.col >= imageWidth) continue;
                const int lo = std::max(std::min(run.row1, run.row2), 0);
                const int hi = std::min(std::max(run.row1, run.row2), imageHeight - 1);
                if (lo > hi) continue;
                x0 = std::min(x0, run.col);
                x1 = std::max(x1, run.col);
                y0 = std::min(y0, lo);
                y1 = std::max(y1, hi);
            }
        if (x1 < 0) {
            result = 1;  // thinning an empty mask takes one pass that changes nothing
        } else {
            const int wx0 = std::max(x0 - 1, 0), wy0 = std::max(y0 - 1, 0);
            const int wx1 = std::min(x1 + 1, imageWidth - 1), wy1 = std::min(y1 + 1, imageHeight - 1);
            cv::Mat mask = cv::Mat::zeros(wy1 - wy0 + 1, wx1 - wx0 + 1, CV_8UC1);
            for (const Patch& patch : patches)
                for (const Run& run : patch) {
                    if (run.col < 0 || run.col >= imageWidth) continue;
                    const int lo = std::max(std::min(run.row1, run.row2), 0);
                    const int hi = std::min(std::max(run.row1, run.row2), imageHeight - 1);
                    for (int y = lo; y <= hi; ++y) mask.at<uchar>(y - wy0, run.col - wx0) = 1;
                }
            result = ThinLines(mask);

            std::vector<cv::Point> skeleton;
            cv::findNonZero(mask, skeleton);
            std::sort(skeleton.begin(), skeleton.end(), [](const cv::Point& a, const cv::Point& b) {
                return a.x < b.x || (a.x == b.x && a.y < b.y);
            });
            // One point per stretch of consecutive rows in a column, at its middle.
            for (size_t i = 0; i < skeleton.size();) {
                const int x = skeleton[i].x, first = skeleton[i].y;
                int last = first;
                size_t j = i + 1;
                while (j < skeleton.size() && skeleton[j].x == x && skeleton[j].y - last <= 1) last = skeleton[j++].y;
                points.emplace_back(x + wx0, (first + last) * 0.5 + wy0);
                i = j;
            }
        }
    }
    std::sort(points.begin(), points.end(), ByXThenY);

    columnMap.clear();
    for (const cv::Point2d& p : points) columnMap[static_cast<int>(p.x)].push_back(static_cast<int>(p.y));
    return result;
}

IRect PatchBoundingBox(const Patch& patch) {
    if (patch.empty()) return kNoRect;
    IRect box{patch.front().col, std::min(patch.front().row1, patch.front().row2), patch.front().col,
              std::max(patch.front().row1, patch.front().row2)};
    for (const Run& run : patch) {
        box.left = std::min(box.left, run.col);
        box.right = std::max(box.right, run.col);
        box.top = std::min({box.top, run.row1, run.row2});
        box.bottom = std::max({box.bottom, run.row1, run.row2});
    }
    return box;
}

int HoverKey(const IRect& bounds, int imageHeight, int imageWidth) {
    const long long d = std::max({imageHeight, imageWidth, 1});
    // Each side scaled to 0..255 with truncating division; only its low byte is kept.
    const auto scaled = [d](int v) { return static_cast<uint32_t>(static_cast<long long>(v) * 255 / d) & 255u; };
    const uint32_t key =
        scaled(bounds.left) << 24 | scaled(bounds.top) << 16 | scaled(bounds.right) << 8 | scaled(bounds.bottom);
    return static_cast<int>(key);
}

#include "detect/grouping.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>

namespace {

// The working image holds the label of every pixel of the plot area plus a
// one-pixel border. Two codes of their own, for the border and for painted
// pixels, match no label, so the neighbour tests need no bounds checks and
// painted pixels are never revisited.
constexpr uint8_t kBorder = 254, kPainted = 255;

struct Area {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Copies the area's labels (it lies inside the label image) into a bordered
// working image; isolated, so a view's neighbouring pixels never stand in for the border.
void BuildWorking(const cv::Mat& labels, const Area& a, cv::Mat& working) {
    cv::copyMakeBorder(labels(cv::Rect(a.left, a.top, a.Width(), a.Height())), working, 1, 1, 1, 1,
                       cv::BORDER_CONSTANT | cv::BORDER_ISOLATED, cv::Scalar(kBorder));
}

void Fill(DetectionMap& map, PatchList& patches, const Area& a, cv::Mat& working, unsigned minPatchSize,
          const AbortQuestion& ask) {
    using Code = uint8_t;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(working.step1());
    Code* const base = working.ptr<Code>(0);
    // Working coordinates are the image's shifted by the border: (y - top + 1, x - left + 1).
    const int dy = a.top - 1, dx = a.left - 1;

    unsigned long long steps = 0;
    bool asked = false, aborted = false;
    std::deque<std::pair<int, int>> seeds;  // (row, column) in working coordinates
    Patch runs;

    for (int i = 0; i < map.RowCount() && !aborted; ++i) {
        const int y = map.FirstRow() + i;
        if (y < a.top || y >= a.bottom) continue;
        for (size_t k = map.RowBegin(i); k < map.RowBegin(i + 1) && !aborted; ++k) {
            const int x = map.Column(k);
            if (x < a.left || x >= a.right) continue;
            Code* p = base + (y - dy) * stride + (x - dx);
            // Painted means erased from the map; a pixel without a class has no patch.
            const Code c = *p;
            if (c == kPainted || c == 0) continue;

            int top = y - dy;
            while (p[-stride] == c) p -= stride, --top;
            seeds.clear();
            seeds.emplace_back(top, x - dx);
            runs.clear();

            while (!seeds.empty()) {
                auto [r, cx] = seeds.front();
                seeds.pop_front();
                Code* q = base + r * stride + cx;
                if (*q != c) continue;
                while (q[-stride] == c) q -= stride, --r;
                const int first = r;
                bool leftOpen = true, rightOpen = true;
                if (q[-stride - 1] == c) seeds.emplace_back(r - 1, cx - 1), leftOpen = false;
                if (q[-stride + 1] == c) seeds.emplace_back(r - 1, cx + 1), rightOpen = false;
                for (;;) {
                    if (++steps == kAskAfterPixels && !asked) {
                        asked = true;
                        if (ask && ask()) {
                            aborted = true;
                            break;
                        }
                    }
                    // A side re-arms after a gap, so a neighbouring column touching
                    // this run in two places gets two seeds.
                    if (q[-1] == c) {
                        if (leftOpen) seeds.emplace_back(r, cx - 1), leftOpen = false;
                    } else {
                        leftOpen = true;
                    }
                    if (q[1] == c) {
                        if (rightOpen) seeds.emplace_back(r, cx + 1), rightOpen = false;
                    } else {
                        rightOpen = true;
                    }
                    *q = kPainted;
                    if (q[stride] != c) break;
                    q += stride;
                    ++r;
                }
                if (aborted) break;
                runs.push_back({first + dy, cx + dx, r + dy});
                if (leftOpen && q[stride - 1] == c) seeds.emplace_back(r + 1, cx - 1);
                if (rightOpen && q[stride + 1] == c) seeds.emplace_back(r + 1, cx + 1);
            }

            if (runs.empty()) continue;  // only when aborted on the patch's first pixel
            std::sort(runs.begin(), runs.end());
            unsigned long long height = 0;
            for (const Run& run : runs) height += static_cast<unsigned long long>(run.row2 - run.row1);
            if (minPatchSize <= runs.size() || minPatchSize <= height) patches.push_back(std::move(runs));
        }
    }
}

}  // namespace

void GroupPatches(DetectionMap& map, PatchList& patches, int left, int top, int right, int bottom,
                  const cv::Mat& labels, unsigned minPatchSize, const AbortQuestion& ask) {
    if (map.empty()) return;
    patches.clear();
    // Outside the label image nothing can match, so the area is cut to it; that
    // also bounds the working image whatever area a caller passes.
    CV_CheckTypeEQ(labels.type(), CV_8UC1, "grouping takes an 8-bit label image");
    const Area area{std::max(left, 0), std::max(top, 0), std::min(right, labels.cols), std::min(bottom, labels.rows)};
    if (area.Width() > 0 && area.Height() > 0) {
        cv::Mat working;
        BuildWorking(labels, area, working);
        Fill(map, patches, area, working, minPatchSize, ask);
    }
    map.clear();
}

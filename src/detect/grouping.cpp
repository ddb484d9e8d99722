#include "detect/grouping.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>

namespace {

constexpr uint32_t PackColour(uchar c0, uchar c1, uchar c2) {
    return uint32_t(c0) | uint32_t(c1) << 8 | uint32_t(c2) << 16;
}

// The working image holds one code per pixel of the plot area plus a one-pixel
// border. Codes stand for the class image's colours; two codes of their own,
// for the border and for painted pixels, match no colour, so the neighbour tests
// need no bounds checks and painted pixels are never revisited. One-byte codes
// suffice for any real class image (seven colours); a class image with more
// distinct colours falls back to the packed colour itself.
template <typename Code>
struct CodeTraits;
template <>
struct CodeTraits<uint8_t> {
    static constexpr uint8_t kBorder = 254, kPainted = 255;
    static constexpr size_t kMaxColours = 254;
    static constexpr int kType = CV_8UC1;
};
template <>
struct CodeTraits<uint32_t> {
    static constexpr uint32_t kBorder = 0xFF000000u, kPainted = 0xFFFFFFFFu;
    static constexpr int kType = CV_32SC1;
};

class Palette {
public:
    // Code of a colour, adding it when new; false when the palette is full.
    bool Add(uint32_t colour, uint8_t& code) {
        if (colour == last_) {
            code = lastCode_;
            return true;
        }
        auto it = std::find(colours_.begin(), colours_.end(), colour);
        if (it == colours_.end()) {
            if (colours_.size() == CodeTraits<uint8_t>::kMaxColours) return false;
            it = colours_.insert(colours_.end(), colour);
        }
        last_ = colour;
        lastCode_ = static_cast<uint8_t>(it - colours_.begin());
        code = lastCode_;
        return true;
    }
    bool Find(uint32_t colour, uint8_t& code) const {
        auto it = std::find(colours_.begin(), colours_.end(), colour);
        if (it == colours_.end()) return false;
        code = static_cast<uint8_t>(it - colours_.begin());
        return true;
    }

private:
    std::vector<uint32_t> colours_;
    uint32_t last_ = 0xFFFFFFFFu;
    uint8_t lastCode_ = 0;
};

struct Area {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Builds the working image; for one-byte codes fails when the colours do not fit.
template <typename Code>
bool BuildWorking(const cv::Mat& classImage, const Area& a, cv::Mat& working, Palette& palette) {
    using T = CodeTraits<Code>;
    working.create(a.Height() + 2, a.Width() + 2, T::kType);
    // CV_32S holds the packed codes' bit patterns as signed ints.
    const cv::Scalar border = cv::Scalar::all(sizeof(Code) == 1 ? double(T::kBorder) : double(int32_t(T::kBorder)));
    working.row(0).setTo(border);
    working.row(working.rows - 1).setTo(border);
    working.col(0).setTo(border);
    working.col(working.cols - 1).setTo(border);
    // The area lies inside the class image.
    for (int y = a.top; y < a.bottom; ++y) {
        const uchar* src = classImage.ptr<uchar>(y) + 3 * a.left;
        Code* dst = working.ptr<Code>(y - a.top + 1) + 1;
        for (int x = a.left; x < a.right; ++x, src += 3) {
            const uint32_t colour = PackColour(src[0], src[1], src[2]);
            if constexpr (sizeof(Code) == 1) {
                uint8_t code;
                if (!palette.Add(colour, code)) return false;
                *dst++ = code;
            } else {
                *dst++ = colour;
            }
        }
    }
    return true;
}

template <typename Code>
bool CodeOf(const cv::Vec3b& mapColour, const Palette& palette, Code& code) {
    // Map colours are stored with the class image's channels reversed.
    const uint32_t colour = PackColour(mapColour[2], mapColour[1], mapColour[0]);
    if constexpr (sizeof(Code) == 1) {
        return palette.Find(colour, code);
    } else {
        code = colour;
        return true;
    }
}

template <typename Code>
void Fill(DetectionMap& map, PatchList& patches, const Area& a, cv::Mat& working, const Palette& palette,
          unsigned minPatchSize, const AbortQuestion& ask) {
    using T = CodeTraits<Code>;
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
            Code c;
            // Painted means erased from the map; a pixel not of its entry's colour
            // could never be filled and would start an empty patch.
            if (*p == T::kPainted || !CodeOf(map.Colour(k), palette, c) || *p != c) continue;

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
                    *q = T::kPainted;
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
                  const cv::Mat& classImage, unsigned minPatchSize, const AbortQuestion& ask) {
    if (map.empty()) return;
    patches.clear();
    // Outside the class image nothing can match, so the area is cut to it; that
    // also bounds the working image whatever area a caller passes.
    const Area area{std::max(left, 0), std::max(top, 0), std::min(right, classImage.cols),
                    std::min(bottom, classImage.rows)};
    if (classImage.type() == CV_8UC3 && area.Width() > 0 && area.Height() > 0) {
        cv::Mat working;
        Palette palette;
        if (BuildWorking<uint8_t>(classImage, area, working, palette)) {
            Fill<uint8_t>(map, patches, area, working, palette, minPatchSize, ask);
        } else {
            BuildWorking<uint32_t>(classImage, area, working, palette);
            Fill<uint32_t>(map, patches, area, working, palette, minPatchSize, ask);
        }
    }
    map.clear();
}

#include "detect/colour.h"

#include "detect/binarise.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

inline uint32_t Pack(const cv::Vec3b& v) {
    return uint32_t(v[0]) << 16 | uint32_t(v[1]) << 8 | uint32_t(v[2]);
}

uint32_t Distance(const cv::Vec3b& lab, const cv::Vec3b& ref) {
    const uint32_t dl = uint32_t(int(lab[0]) - int(ref[0]));
    const uint32_t da = uint32_t(int(lab[1]) - int(ref[1]));
    const uint32_t db = uint32_t(int(lab[2]) - int(ref[2]));
    return 169u * dl * dl + 576u * da * da + 676u * db * db;
}

// Remembers the choice for recently seen Lab values. Any cache gives the same
// answers; a small direct-mapped one stays in L1 where an ordered map would not.
class ChoiceCache {
public:
    int Get(const cv::Vec3b& lab) {
        const uint32_t key = Pack(lab);
        const uint32_t slot = (key * 2654435761u) >> (32 - kBits);
        if (keys_[slot] != key + 1) {
            keys_[slot] = key + 1;
            choices_[slot] = static_cast<uint8_t>(NearestReference(lab));
        }
        return choices_[slot];
    }

private:
    static constexpr int kBits = 12;
    std::vector<uint32_t> keys_ = std::vector<uint32_t>(size_t(1) << kBits, 0);  // 0 = empty
    std::vector<uint8_t> choices_ = std::vector<uint8_t>(size_t(1) << kBits, 0);
};

// True when one of the eight bytes is zero.
inline bool HasZeroByte(uint64_t v) {
    return ((v - 0x0101010101010101ull) & ~v & 0x8080808080808080ull) != 0;
}

}  // namespace

int NearestReference(const cv::Vec3b& lab) {
    int best = 0;
    uint32_t bestDistance = Distance(lab, kReferenceColours[0]);
    for (int i = 1; i < static_cast<int>(kReferenceColours.size()); ++i) {
        const uint32_t d = Distance(lab, kReferenceColours[i]);
        if (d < bestDistance || (d == bestDistance && Pack(kReferenceColours[i]) < Pack(kReferenceColours[best]))) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

void DetectionMap::clear() {
    rowStart_.clear();
    cols_.clear();
    colours_.clear();
    rowStart_.shrink_to_fit();
    cols_.shrink_to_fit();
    colours_.shrink_to_fit();
}

std::vector<DetectionEntry> DetectionMap::Entries() const {
    std::vector<DetectionEntry> out;
    out.reserve(size());
    for (int i = 0; i < RowCount(); ++i)
        for (size_t k = RowBegin(i); k < RowBegin(i + 1); ++k) out.push_back({firstRow_ + i, cols_[k], colours_[k]});
    return out;
}

DetectionMap BuildDetectionMap(const cv::Mat& binary, const cv::Mat& image, const PlotArea& area) {
    DetectionMap map;
    if (binary.type() != CV_8UC1 || image.type() != CV_8UC3) return map;
    const int x0 = std::max({area.left, 0}), x1 = std::min({area.right, binary.cols, image.cols});
    const int y0 = std::max({area.top, 0}), y1 = std::min({area.bottom, binary.rows, image.rows});
    if (x1 <= x0 || y1 <= y0) return map;

    // Exact sizes up front: no reallocation, no spare capacity at 12 megapixels.
    const cv::Rect roi(x0, y0, x1 - x0, y1 - y0);
    const size_t ink = size_t(roi.area()) - size_t(cv::countNonZero(binary(roi)));
    map.firstRow_ = y0;
    map.rowStart_.reserve(size_t(y1 - y0) + 1);
    map.cols_.reserve(ink);
    map.colours_.reserve(ink);
    map.rowStart_.push_back(0);
    for (int y = y0; y < y1; ++y) {
        const uchar* b = binary.ptr<uchar>(y);
        const cv::Vec3b* px = image.ptr<cv::Vec3b>(y);
        auto add = [&](int x) {
            map.cols_.push_back(x);
            map.colours_.emplace_back(px[x][2], px[x][1], px[x][0]);
        };
        int x = x0;
        // Background comes in long stretches: skip eight pixels at a time.
        for (; x + 8 <= x1; x += 8) {
            uint64_t chunk;
            std::memcpy(&chunk, b + x, 8);
            if (!HasZeroByte(chunk)) continue;
            for (int i = x; i < x + 8; ++i)
                if (b[i] == kInk) add(i);
        }
        for (; x < x1; ++x)
            if (b[x] == kInk) add(x);
        map.rowStart_.push_back(map.cols_.size());
    }
    if (map.cols_.empty()) map.clear();
    return map;
}

void DetectColours(cv::Mat& labels, const cv::Mat& image, DetectionMap& map) {
    labels = cv::Mat::zeros(image.size(), CV_8UC1);
    if (map.empty() || image.type() != CV_8UC3) return;

    // Only the box around the map's pixels is smoothed, grown by one pixel where the
    // image goes on so every pixel inside sees its true neighbours; where the box
    // meets the image's edge the isolated border mirrors exactly as the whole image
    // would. A view's parent pixels are never read, as when smoothing a copy.
    int x0 = image.cols, x1 = -1;
    for (size_t k = 0; k < map.size(); ++k) {
        x0 = std::min(x0, map.Column(k));
        x1 = std::max(x1, map.Column(k));
    }
    const cv::Rect box = cv::Rect(x0 - 1, map.FirstRow() - 1, x1 - x0 + 3, map.RowCount() + 2) &
                         cv::Rect(0, 0, image.cols, image.rows);
    if (box.empty()) return;
    cv::Mat smoothed;
    cv::GaussianBlur(image(box), smoothed, cv::Size(3, 3), 0, 0, cv::BORDER_REFLECT_101 | cv::BORDER_ISOLATED);

    // Colour conversion works pixel by pixel, so only the map's pixels are
    // converted: gathered in chunks of one row each, converted, then classified in
    // map order. Small chunks keep the buffers in cache and off the memory peak.
    constexpr int kChunk = 16384;
    cv::Mat gathered(1, kChunk, CV_8UC3), lab;
    std::vector<std::pair<int, size_t>> where;  // (row, entry) of each gathered pixel
    where.reserve(kChunk);
    ChoiceCache cache;
    auto classify = [&] {
        if (where.empty()) return;
        cv::cvtColor(gathered.colRange(0, static_cast<int>(where.size())), lab, cv::COLOR_RGB2Lab);
        const cv::Vec3b* l = lab.ptr<cv::Vec3b>(0);
        for (const auto& [y, k] : where) {
            const int index = cache.Get(*l++);
            const cv::Vec3b& ref = kReferenceColours[static_cast<size_t>(index)];
            labels.ptr<uchar>(y)[map.Column(k)] = static_cast<uchar>(index + 1);
            map.Colour(k) = cv::Vec3b(ref[2], ref[1], ref[0]);
        }
        where.clear();
    };
    cv::Vec3b* g = gathered.ptr<cv::Vec3b>(0);
    for (int i = 0; i < map.RowCount(); ++i) {
        const int y = map.FirstRow() + i;
        if (y < 0 || y >= image.rows) continue;
        const cv::Vec3b* row = smoothed.ptr<cv::Vec3b>(y - box.y);
        for (size_t k = map.RowBegin(i); k < map.RowBegin(i + 1); ++k) {
            const int x = map.Column(k);
            if (x < 0 || x >= image.cols) continue;
            g[where.size()] = row[x - box.x];
            where.emplace_back(y, k);
            if (where.size() == kChunk) classify();
        }
    }
    classify();
}

#pragma once
// The detection map (every ink pixel of the plot area with its colour) and the
// classification of those pixels into six reference colours.
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <array>
#include <cstddef>
#include <vector>

// The six reference colours as 8-bit Lab (L scaled to 0..255, a and b offset by
// 128), in order: black, red, green, blue, magenta, yellow.
inline const std::array<cv::Vec3b, 6> kReferenceColours = {
    cv::Vec3b(0, 128, 128),  cv::Vec3b(136, 208, 195), cv::Vec3b(224, 42, 211),
    cv::Vec3b(82, 207, 20),  cv::Vec3b(154, 226, 67),  cv::Vec3b(248, 106, 223)};

// Index into kReferenceColours of the reference nearest to an 8-bit Lab value:
// weighted squared distance 169 dL^2 + 576 da^2 + 676 db^2; ties go to the
// reference with the smaller L, then a, then b.
int NearestReference(const cv::Vec3b& lab);

// One map entry: the pixel (row, col) and its colour, stored in reverse channel
// order (blue, green, red for image colours; b, a, L once classified).
struct DetectionEntry {
    int row = 0;
    int col = 0;
    cv::Vec3b colour;
    bool operator==(const DetectionEntry& o) const { return row == o.row && col == o.col && colour == o.colour; }
};

// The ink pixels of a plot area keyed by (row, column), iterated row by row from
// the top and left to right within a row, like an ordered map on that key. Stored
// as one sorted column list per row, so building and walking it costs no per-pixel
// allocation. Grouping consumes it.
class DetectionMap {
public:
    size_t size() const { return cols_.size(); }
    bool empty() const { return cols_.empty(); }
    void clear();

    // All entries in key order.
    std::vector<DetectionEntry> Entries() const;

    // Row-wise access: the entries of row FirstRow() + i are the indices
    // [RowBegin(i), RowBegin(i + 1)), for 0 <= i < RowCount().
    int FirstRow() const { return firstRow_; }
    int RowCount() const { return rowStart_.empty() ? 0 : static_cast<int>(rowStart_.size()) - 1; }
    size_t RowBegin(int i) const { return rowStart_[static_cast<size_t>(i)]; }
    int Column(size_t k) const { return cols_[k]; }
    const cv::Vec3b& Colour(size_t k) const { return colours_[k]; }
    cv::Vec3b& Colour(size_t k) { return colours_[k]; }

private:
    friend DetectionMap BuildDetectionMap(const cv::Mat& binary, const cv::Mat& image, const PlotArea& area);
    int firstRow_ = 0;
    std::vector<size_t> rowStart_;
    std::vector<int> cols_;
    std::vector<cv::Vec3b> colours_;
};

// Records every ink pixel (0 in `binary`) of the plot area with the image's colour
// there, bytes reversed. Parts of the area outside the images hold no ink; an
// area with right <= left or bottom <= top gives an empty map.
DetectionMap BuildDetectionMap(const cv::Mat& binary, const cv::Mat& image, const PlotArea& area);
inline size_t DetectionMapSize(const DetectionMap& map) { return map.size(); }

// Classifies the map's pixels: fills `labels` (the image's size, 8-bit) with 0
// and, at every map pixel, 1 + the index of the reference colour nearest to the
// pixel's 3 x 3 Gaussian-smoothed Lab value; rewrites each map entry's colour to
// that reference, bytes reversed. Entries outside the image keep their colour.
void DetectColours(cv::Mat& labels, const cv::Mat& image, DetectionMap& map);

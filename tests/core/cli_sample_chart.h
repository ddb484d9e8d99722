#pragma once
// resources/sample-chart.png, a small chart with known curves: a black frame with
// ticks and labels, a light grid, a red and a blue curve, drawn from the values
// below by tools/make_sample_chart.cpp. The command-line and window tests digitize it.
#include <opencv2/core.hpp>

#include <cmath>
#include <string>

namespace sample_chart {

constexpr int kWidth = 480;
constexpr int kHeight = 360;
// The frame: X runs from 0 at column kLeft to 10 at column kRight, Y from 0 at
// row kBottom to 100 at row kTop.
constexpr int kLeft = 60, kRight = 440, kTop = 30, kBottom = 310;
constexpr double kXMax = 10, kYMax = 100;

inline double Red(double x) { return 70 + 20 * std::sin(0.6 * x); }
inline double Blue(double x) { return 5 + 0.4 * x * x; }

inline double ColumnOf(double x) { return kLeft + x * (kRight - kLeft) / kXMax; }
inline double RowOf(double y) { return kBottom - y * (kBottom - kTop) / kYMax; }
inline double XOf(double column) { return (column - kLeft) * kXMax / (kRight - kLeft); }

}  // namespace sample_chart

#ifdef PLOTSNAP_SOURCE_DIR
#include <fstream>
#include <iterator>

#include "document/png_image.h"

namespace sample_chart {
// The picture, red, green, blue like the document image, as the file holds it.
inline const std::string kFile = PLOTSNAP_SOURCE_DIR "/resources/sample-chart.png";
inline cv::Mat Picture() {
    std::ifstream in(kFile, std::ios::binary);
    return DecodePng(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), {kWidth, kHeight});
}
}  // namespace sample_chart
#endif

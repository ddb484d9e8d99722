#pragma once
// A small chart with known curves: a black frame with ticks and labels, a light
// grid, a red and a blue curve. The command-line tests digitize it, and
// resources/sample-chart.png is this picture (tools/make_sample_chart.cpp).
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <string>
#include <vector>

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

// Red, green, blue order, like the document image.
inline cv::Mat Draw() {
    cv::Mat img(kHeight, kWidth, CV_8UC3, cv::Scalar(255, 255, 255));
    const cv::Scalar grid(228, 228, 228), ink(0, 0, 0), text(40, 40, 40);
    for (int i = 1; i < 10; ++i) {
        const int c = static_cast<int>(ColumnOf(i));
        cv::line(img, {c, kTop + 2}, {c, kBottom - 2}, grid, 1);
    }
    for (int i = 1; i < 5; ++i) {
        const int r = static_cast<int>(RowOf(20 * i));
        cv::line(img, {kLeft + 2, r}, {kRight - 2, r}, grid, 1);
    }
    // Two-pixel frame whose inner lines are the calibration columns and rows.
    cv::rectangle(img, {kLeft, kTop}, {kRight, kBottom}, ink, 1);
    cv::rectangle(img, {kLeft - 1, kTop - 1}, {kRight + 1, kBottom + 1}, ink, 1);
    const int font = cv::FONT_HERSHEY_SIMPLEX;
    for (int i = 0; i <= 10; ++i) {
        const int c = static_cast<int>(ColumnOf(i));
        cv::line(img, {c, kBottom + 2}, {c, kBottom + 6}, ink, 1);
        const std::string label = std::to_string(i);
        const cv::Size size = cv::getTextSize(label, font, 0.4, 1, nullptr);
        cv::putText(img, label, {c - size.width / 2, kBottom + 20}, font, 0.4, text, 1, cv::LINE_AA);
    }
    for (int i = 0; i <= 5; ++i) {
        const int r = static_cast<int>(RowOf(20 * i));
        cv::line(img, {kLeft - 6, r}, {kLeft - 2, r}, ink, 1);
        const std::string label = std::to_string(20 * i);
        const cv::Size size = cv::getTextSize(label, font, 0.4, 1, nullptr);
        cv::putText(img, label, {kLeft - 10 - size.width, r + size.height / 2}, font, 0.4, text, 1, cv::LINE_AA);
    }
    cv::putText(img, "time (s)", {kLeft + (kRight - kLeft) / 2 - 30, kHeight - 8}, font, 0.45, text, 1, cv::LINE_AA);
    cv::putText(img, "plotsnap sample chart", {kLeft + (kRight - kLeft) / 2 - 85, 20}, font, 0.5, text, 1,
                cv::LINE_AA);

    // Curves sampled at every column, kept three pixels inside the frame.
    auto curve = [&](double (*f)(double), const cv::Scalar& colour) {
        std::vector<cv::Point> pts;
        for (int c = kLeft + 3; c <= kRight - 3; ++c)
            pts.emplace_back(c, static_cast<int>(std::lround(RowOf(f(XOf(c))))));
        cv::polylines(img, pts, false, colour, 2, cv::LINE_8);
    };
    curve(Red, cv::Scalar(220, 20, 20));
    curve(Blue, cv::Scalar(0, 0, 255));
    return img;
}

}  // namespace sample_chart

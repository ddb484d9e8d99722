// Writes resources/sample-chart.png, the chart the README digitizes with plotsnap-cli.
// Build and run from the repository root (needs no display):
//   g++ -std=c++17 -O1 -Itests/core -I/usr/include/opencv4 tools/make_sample_chart.cpp \
//       $(wx-config --cxxflags --libs core,base) -lopencv_imgproc -lopencv_core -o /tmp/make_sample_chart
//   /tmp/make_sample_chart resources/sample-chart.png
#include <opencv2/imgproc.hpp>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "cli_sample_chart.h"

namespace sample_chart {

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

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_chart OUTPUT.png\n");
        return 2;
    }
    wxInitializer toolkit;
    wxInitAllImageHandlers();
    const cv::Mat rgb = sample_chart::Draw();
    wxImage image(rgb.cols, rgb.rows, false);
    std::memcpy(image.GetData(), rgb.data, rgb.total() * 3);
    if (!image.SaveFile(argv[1], wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

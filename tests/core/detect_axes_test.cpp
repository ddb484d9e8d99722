// Frame and axis detection on drawn binary pictures: closed frames of any width,
// frames broken by a dark grid, tick labels beside the frame, open axes with a
// legend box inside, lone lines, degenerate sizes.
#include "detect/axes.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <functional>
#include <vector>

namespace {

cv::Mat White(int rows, int cols) { return cv::Mat(rows, cols, CV_8UC1, cv::Scalar(255)); }
void Ink(cv::Mat& b, int x0, int y0, int x1, int y1) { b(cv::Rect(x0, y0, x1 - x0 + 1, y1 - y0 + 1)).setTo(0); }

// A frame whose outer edges are the columns x0, x1 and the rows y0, y1, t pixels thick.
void Frame(cv::Mat& b, int x0, int y0, int x1, int y1, int t) {
    Ink(b, x0, y0, x1, y0 + t - 1);
    Ink(b, x0, y1 - t + 1, x1, y1);
    Ink(b, x0, y0, x0 + t - 1, y1);
    Ink(b, x1 - t + 1, y0, x1, y1);
}

void DarkGrid(cv::Mat& b, int x0, int y0, int x1, int y1) {
    for (int x = x0 + 30; x < x1 - 10; x += 30) Ink(b, x, y0, x + 1, y1);
    for (int y = y0 + 30; y < y1 - 10; y += 30) Ink(b, x0, y, x1, y + 1);
}

// Open axes: a left line from (x, top) down to the bottom line, which runs to `end`.
void Axes(cv::Mat& b, int x, int top, int y, int end, int t) {
    Ink(b, x, top, x + t - 1, y);
    Ink(b, x, y - t + 1, end, y);
}

}  // namespace

TEST(DetectAxes, FramesAndAxesGiveTheAreaInsideTheirInnerEdges) {
    struct Case {
        const char* what;
        std::function<void(cv::Mat&)> draw;
        PlotArea expected;
    };
    const Case cases[] = {
        {"blank", [](cv::Mat&) {}, {0, 0, 400, 300}},
        {"frame shorter than 40% of the picture", [](cv::Mat& b) { Frame(b, 40, 30, 190, 130, 2); }, {0, 0, 400, 300}},
        {"1-px frame", [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 1); }, {41, 31, 339, 249}},
        {"2-px frame", [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 2); }, {42, 32, 338, 248}},
        {"3-px frame broken by a dark grid",
         [](cv::Mat& b) {
             Frame(b, 40, 30, 339, 249, 3);
             DarkGrid(b, 40, 30, 339, 249);
         },
         {43, 33, 337, 247}},
        {"tick labels left of the frame",
         [](cv::Mat& b) {
             Frame(b, 40, 30, 339, 249, 2);
             for (int y = 30; y < 250; y += 11) Ink(b, 22, y, 36, y + 6);
         },
         {42, 32, 338, 248}},
        {"open axes with a boxed legend inside",
         [](cv::Mat& b) {
             Axes(b, 40, 20, 249, 380, 3);
             Frame(b, 150, 40, 330, 90, 1);
         },
         {43, 20, 381, 247}},
        {"open axes under a dark grid",
         [](cv::Mat& b) {
             Axes(b, 40, 20, 249, 380, 3);
             DarkGrid(b, 43, 20, 380, 246);
         },
         {43, 20, 381, 247}},
        {"lone line left of 40%", [](cv::Mat& b) { Ink(b, 30, 0, 30, 299); }, {31, 0, 400, 300}},
        {"lone line in the middle", [](cv::Mat& b) { Ink(b, 200, 0, 200, 299); }, {0, 0, 400, 300}},
        {"lone line right of 60%", [](cv::Mat& b) { Ink(b, 250, 0, 250, 299); }, {0, 0, 250, 300}},
        {"lone line near the top", [](cv::Mat& b) { Ink(b, 0, 20, 399, 21); }, {0, 22, 400, 300}},
    };
    for (const Case& k : cases) {
        cv::Mat b = White(300, 400);
        k.draw(b);
        const cv::Mat before = b.clone();
        const PlotArea a = DetectAxes(b);
        EXPECT_EQ(a, k.expected) << k.what << ": " << a.left << "," << a.top << " " << a.right << "," << a.bottom;
        EXPECT_EQ(cv::norm(b, before, cv::NORM_INF), 0);  // input untouched
    }
}

TEST(DetectAxes, DegenerateSizesAndViews) {
    EXPECT_EQ(DetectAxes(cv::Mat()), (PlotArea{0, 0, 0, 0}));
    cv::Mat wide = White(3, 20000);
    wide.row(1).setTo(0);
    const PlotArea w = DetectAxes(wide);
    EXPECT_TRUE(w.left >= 0 && w.left <= w.right && w.right <= 20000 && w.top >= 0 && w.top <= w.bottom &&
                w.bottom <= 3);
    // A view is read as the picture it shows.
    cv::Mat parent(320, 420, CV_8UC1, cv::Scalar(0));
    cv::Mat view = parent(cv::Rect(10, 10, 400, 300));
    view.setTo(255);
    view.col(30).setTo(0);
    EXPECT_EQ(DetectAxes(view), (PlotArea{31, 0, 400, 300}));
    EXPECT_THROW(DetectAxes(cv::Mat(4, 4, CV_8UC3)), cv::Exception);
}

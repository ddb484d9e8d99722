// Frame, axis and grid-line detection on drawn binary pictures: frames and open axes
// under grids, labels and legends; grid lines erased up to each crossing curve's stroke.
#include "detect/axes.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <functional>
#include <tuple>
#include <vector>
#include "detect/grid.h"

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
    const std::tuple<const char*, std::function<void(cv::Mat&)>, PlotArea> cases[] = {
        {"blank", [](cv::Mat&) {}, {0, 0, 400, 300}},
        {"frame shorter than 40% of the picture", [](cv::Mat& b) { Frame(b, 40, 30, 190, 130, 2); }, {0, 0, 400, 300}},
        {"1-px frame", [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 1); }, {41, 31, 339, 249}},
        {"2-px frame", [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 2); }, {42, 32, 338, 248}},
        {"3-px frame broken by a dark grid",
         [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 3); DarkGrid(b, 40, 30, 339, 249); },
         {43, 33, 337, 247}},
        {"tick labels left of the frame",
         [](cv::Mat& b) { Frame(b, 40, 30, 339, 249, 2); for (int y = 30; y < 250; y += 11) Ink(b, 22, y, 36, y + 6); },
         {42, 32, 338, 248}},
        {"open axes with a boxed legend inside",
         [](cv::Mat& b) { Axes(b, 40, 20, 249, 380, 3); Frame(b, 150, 40, 330, 90, 1); },
         {43, 20, 381, 247}},
        {"open axes under a dark grid",
         [](cv::Mat& b) { Axes(b, 40, 20, 249, 380, 3); DarkGrid(b, 43, 20, 380, 246); },
         {43, 20, 381, 247}},
        {"open axes with a thinner grid line along their top",
         [](cv::Mat& b) { Axes(b, 40, 20, 249, 380, 2); Ink(b, 42, 21, 380, 21); }, {42, 20, 381, 248}},
        {"open axes with a thinner grid line at their right end",
         [](cv::Mat& b) { Axes(b, 40, 20, 249, 380, 2); Ink(b, 379, 20, 379, 247); }, {42, 20, 381, 248}},
        {"lone line left of 40%", [](cv::Mat& b) { Ink(b, 30, 0, 30, 299); }, {31, 0, 400, 300}},
        {"lone line in the middle", [](cv::Mat& b) { Ink(b, 200, 0, 200, 299); }, {0, 0, 400, 300}},
        {"lone line right of 60%", [](cv::Mat& b) { Ink(b, 250, 0, 250, 299); }, {0, 0, 250, 300}},
        {"lone line near the top", [](cv::Mat& b) { Ink(b, 0, 20, 399, 21); }, {0, 22, 400, 300}},
    };
    for (const auto& [what, draw, expected] : cases) {
        cv::Mat b = White(300, 400);
        draw(b);
        const cv::Mat before = b.clone();
        const PlotArea a = DetectAxes(b);
        EXPECT_EQ(a, expected) << what << ": " << a.left << "," << a.top << " " << a.right << "," << a.bottom;
        EXPECT_EQ(cv::norm(b, before, cv::NORM_INF), 0);  // input untouched
    }
}

TEST(DetectAxes, DegenerateSizesAndViews) {
    EXPECT_EQ(DetectAxes(cv::Mat()), (PlotArea{0, 0, 0, 0}));  // a very flat picture is a processing case
    // A view is read as the picture it shows.
    cv::Mat parent(320, 420, CV_8UC1, cv::Scalar(0));
    cv::Mat view = parent(cv::Rect(10, 10, 400, 300));
    view.setTo(255);
    view.col(30).setTo(0);
    EXPECT_EQ(DetectAxes(view), (PlotArea{31, 0, 400, 300}));
    EXPECT_THROW(DetectAxes(cv::Mat(4, 4, CV_8UC3)), cv::Exception);
}

namespace {
cv::Vec4i Horizontal(int y, int x1, int x2) { return {x1, y, x2, y}; }
int InkIn(const cv::Mat& m) { return int(m.total()) - cv::countNonZero(m); }
}  // namespace

TEST(EraseGrid, LinesGoUpToTheStrokeOfEachCrossingCurve) {
    // A grid line on rows 101-102 (edges found at 100 and 102), a vertical one on
    // columns 201-202, and what crosses them, with the grid width to erase by.
    const std::tuple<const char*, std::function<void(cv::Mat&)>, int> cases[] = {
        {"one-pixel vertical curve", [](cv::Mat& c) { c.rowRange(90, 111).col(150).setTo(0); }, 1},
        {"three-pixel steep curve", [](cv::Mat& c) { cv::line(c, {140, 80}, {150, 125}, cv::Scalar(0), 3); }, 2},
        {"shallow curve", [](cv::Mat& c) { cv::line(c, {100, 96}, {190, 106}, cv::Scalar(0), 2); }, 2},
        {"a curve through both lines' crossing", [](cv::Mat& c) { cv::line(c, {180, 80}, {220, 120}, cv::Scalar(0), 2); }, 2},
        {"no curve", [](cv::Mat&) {}, 1},
    };
    for (const auto& [what, draw, width] : cases) {
        cv::Mat curve = White(200, 300);
        draw(curve);
        cv::Mat b = curve.clone();
        b.rowRange(101, 103).colRange(10, 290).setTo(0);
        b.colRange(201, 203).rowRange(10, 190).setTo(0);
        GridSegments segments;
        segments.horizontal = {Horizontal(100, 10, 289), Horizontal(102, 10, 289)};
        segments.vertical = {{200, 10, 200, 189}, {202, 10, 202, 189}};
        EraseGrid(b, segments, 0, 0, 300, 200, width);
        SCOPED_TRACE(what);
        // Nothing but the curve is left (a pixel on its edge at most), and the curve
        // keeps all but a pixel here and there.
        EXPECT_LE(cv::countNonZero((b == 0) & (curve != 0)), 2);
        EXPECT_LE(cv::countNonZero((b != 0) & (curve == 0)), 2);
    }
}

TEST(EraseGrid, EdgesTooFarApartOrOutsideTheAreaAreSkippedAndTheLastUsesGapOne) {
    // Edges at 100 and 120 with width 1: gap 20 > 2, so row 101 stays; the last
    // segment (120) is handled with gap 1 and erases row 121.
    cv::Mat b = White(200, 300);
    b.row(101).colRange(10, 290).setTo(0);
    b.row(121).colRange(10, 290).setTo(0);
    GridSegments segments;
    segments.horizontal = {Horizontal(100, 10, 289), Horizontal(120, 10, 289)};
    EraseGrid(b, segments, 0, 0, 300, 200, 1);
    EXPECT_EQ(InkIn(b.row(101)), 280);
    EXPECT_EQ(InkIn(b.row(121)), 0);
    // Outside the plot area nothing changes.
    b = White(200, 300);
    b.row(151).setTo(0);
    b.col(31).setTo(0);
    segments = {{Horizontal(150, 0, 299)}, {{30, 0, 30, 199}}};
    const cv::Mat before = b.clone();
    EraseGrid(b, segments, 40, 10, 290, 140, 1);
    EXPECT_EQ(cv::norm(b, before, cv::NORM_INF), 0);
}

TEST(RemoveGrid, ErasesADrawnGridButKeepsCurvesAndSlantedLines) {
    cv::Mat grid = White(300, 400), curves = White(300, 400);
    for (int y = 60; y < 300; y += 60) cv::line(grid, {20, y}, {379, y}, cv::Scalar(0), 1);
    for (int x = 100; x < 400; x += 100) cv::line(grid, {x, 20}, {x, 279}, cv::Scalar(0), 1);
    cv::polylines(curves, std::vector<cv::Point>{{30, 30}, {70, 270}, {130, 40}, {170, 260}}, false, cv::Scalar(0), 2);
    cv::line(curves, {210, 80}, {370, 100}, cv::Scalar(0), 1);
    for (const bool on : {true, false}) {
        cv::Mat b = grid & curves;
        StringLog log;
        RemoveGrid(b, on, 0, 0, 400, 300, 1, log);
        EXPECT_EQ(log.Text(), "Degridding...\n");
        const int gridLeft = cv::countNonZero((b == 0) & (curves != 0));
        const int curveLost = cv::countNonZero((b != 0) & (curves == 0));
        // Switched on, a single pixel on a curve's edge here and there at most.
        EXPECT_TRUE(on ? gridLeft <= 10 : gridLeft == cv::countNonZero((grid == 0) & (curves != 0))) << gridLeft;
        EXPECT_LT(curveLost, on ? cv::countNonZero(curves == 0) / 100 : 1);
    }
    // Width 0 acts as width 1; a very flat picture is handled without a fault.
    cv::Mat b = White(40, 40), wide = White(3, 20000);
    b.row(11).setTo(0);
    cv::Vec4i s = Horizontal(10, 0, 39);
    EraseHorizontalGridLine(b, 0, 0, 40, 40, s, 0, 1);
    EXPECT_EQ(InkIn(b), 0);
    NullLog log;
    wide.row(1).setTo(0);
    RemoveGrid(wide, true, 0, 0, 20000, 3, 2, log);
    EXPECT_EQ(wide.size(), cv::Size(20000, 3));
}

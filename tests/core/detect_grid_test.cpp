// Grid removal: pairing of edge segments by gap, lines erased up to the stroke of
// each crossing curve (no stubs, no dots where grid lines cross), the whole pass on
// a drawn grid, and degenerate pictures.
#include "detect/grid.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <functional>

namespace {
cv::Mat White(int rows, int cols) { return cv::Mat(rows, cols, CV_8UC1, cv::Scalar(255)); }
cv::Vec4i Horizontal(int y, int x1, int x2) { return {x1, y, x2, y}; }
int InkIn(const cv::Mat& m) { return int(m.total()) - cv::countNonZero(m); }
}  // namespace

TEST(EraseGrid, LinesGoUpToTheStrokeOfEachCrossingCurve) {
    // A grid line on rows 101-102 (edges found at 100 and 102), a vertical one on
    // columns 201-202, and what crosses them.
    struct Case {
        const char* what;
        std::function<void(cv::Mat&)> curve;
        int width;
    };
    const Case cases[] = {
        {"one-pixel vertical curve", [](cv::Mat& c) { c.rowRange(90, 111).col(150).setTo(0); }, 1},
        {"three-pixel steep curve", [](cv::Mat& c) { cv::line(c, {140, 80}, {150, 125}, cv::Scalar(0), 3); }, 2},
        {"diagonal curve", [](cv::Mat& c) { cv::line(c, {120, 80}, {160, 120}, cv::Scalar(0), 1); }, 1},
        {"shallow curve", [](cv::Mat& c) { cv::line(c, {100, 96}, {190, 106}, cv::Scalar(0), 2); }, 2},
        {"a curve through both lines' crossing", [](cv::Mat& c) { cv::line(c, {180, 80}, {220, 120}, cv::Scalar(0), 2); }, 2},
        {"no curve", [](cv::Mat&) {}, 1},
    };
    for (const Case& k : cases) {
        cv::Mat curve = White(200, 300);
        k.curve(curve);
        cv::Mat b = curve.clone();
        b.rowRange(101, 103).colRange(10, 290).setTo(0);
        b.colRange(201, 203).rowRange(10, 190).setTo(0);
        GridSegments segments;
        segments.horizontal = {Horizontal(100, 10, 289), Horizontal(102, 10, 289)};
        segments.vertical = {{200, 10, 200, 189}, {202, 10, 202, 189}};
        EraseGrid(b, segments, 0, 0, 300, 200, k.width);
        SCOPED_TRACE(k.what);
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
        if (on) EXPECT_LE(gridLeft, 10);
        if (!on) EXPECT_EQ(gridLeft, cv::countNonZero((grid == 0) & (curves != 0)));
        EXPECT_LT(curveLost, on ? cv::countNonZero(curves == 0) / 100 : 1);
    }
    // Width 0 acts as width 1; degenerate pictures do not crash.
    cv::Mat b = White(40, 40);
    b.row(11).setTo(0);
    cv::Vec4i s = Horizontal(10, 0, 39);
    EraseHorizontalGridLine(b, 0, 0, 40, 40, s, 0, 1);
    EXPECT_EQ(InkIn(b), 0);
    NullLog log;
    cv::Mat empty, one(1, 1, CV_8UC1, cv::Scalar(0)), wide = White(3, 20000);
    RemoveGrid(empty, true, 0, 0, 0, 0, 2, log);
    RemoveGrid(one, true, 0, 0, 1, 1, 2, log);
    EXPECT_EQ(one.at<uchar>(0, 0), 0);
    wide.row(1).setTo(0);
    RemoveGrid(wide, true, 0, 0, 20000, 3, 2, log);
    EXPECT_EQ(wide.size(), cv::Size(20000, 3));
}

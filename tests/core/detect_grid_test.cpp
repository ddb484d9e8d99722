// Grid removal: pairing of edge segments by gap, erasing only where both sides of
// a line are background, crossings kept, slanted lines untouched, grid width 0,
// and the row-pointer erasers against plain versions on random images.
#include "detect/grid.h"
#include "reference/detect_reference.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>
#include <string>

namespace {
cv::Mat White(int rows, int cols) { return cv::Mat(rows, cols, CV_8UC1, cv::Scalar(255)); }
cv::Vec4i Horizontal(int y, int x1, int x2) { return {x1, y, x2, y}; }
int InkIn(const cv::Mat& m) { return int(m.total()) - cv::countNonZero(m); }
}  // namespace

TEST(GridErase, CloseEdgePairsEraseTheLineBetweenExceptAtCrossings) {
    // A two-pixel grid line on rows 101-102 (edges found at 100 and 102) and a
    // curve crossing it at column 150.
    cv::Mat b = White(200, 300);
    b.rowRange(101, 103).colRange(10, 290).setTo(0);
    b.rowRange(90, 111).col(150).setTo(0);
    GridSegments segments;
    segments.horizontal = {Horizontal(100, 10, 289), Horizontal(102, 10, 289)};
    EraseGrid(b, segments, 0, 0, 300, 200, 1);
    for (int x = 10; x < 290; ++x) {
        const bool nearCurve = x >= 149 && x <= 151;
        EXPECT_EQ(b.at<uchar>(101, x) == 0, nearCurve) << x;
        EXPECT_EQ(b.at<uchar>(102, x) == 0, nearCurve) << x;
    }
    EXPECT_EQ(InkIn(b.col(150)), 21);  // the curve keeps every pixel
}

TEST(GridErase, EdgesTooFarApartAreSkippedAndTheLastUsesGapOne) {
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
}

TEST(GridErase, SegmentsOutsideThePlotAreaAreIgnored) {
    cv::Mat b = White(200, 300);
    b.row(151).setTo(0);
    b.col(31).setTo(0);
    GridSegments segments;
    segments.horizontal = {Horizontal(150, 0, 299)};
    segments.vertical = {{30, 0, 30, 199}};
    const cv::Mat before = b.clone();
    EraseGrid(b, segments, 40, 10, 290, 140, 1);
    EXPECT_EQ(cv::norm(b, before, cv::NORM_INF), 0);
}

namespace {
// Grid lines every 60 pixels, a steep zigzag curve and a shallow slanted line.
struct GridPicture {
    cv::Mat binary, curve, slanted, grid;
};

GridPicture MakeGridPicture() {
    GridPicture p;
    p.grid = White(300, 400);
    for (int y = 60; y < 300; y += 60) cv::line(p.grid, {20, y}, {379, y}, cv::Scalar(0), 1);
    for (int x = 100; x < 400; x += 100) cv::line(p.grid, {x, 20}, {x, 279}, cv::Scalar(0), 1);
    p.curve = White(300, 400);
    cv::polylines(p.curve, std::vector<cv::Point>{{30, 30}, {70, 270}, {130, 40}, {170, 260}}, false, cv::Scalar(0), 2);
    p.slanted = White(300, 400);
    cv::line(p.slanted, {210, 80}, {370, 100}, cv::Scalar(0), 1);
    p.binary = p.grid & p.curve & p.slanted;
    return p;
}
}  // namespace

TEST(RemoveGrid, ErasesGridLinesButKeepsCurvesAndSlantedLines) {
    GridPicture p = MakeGridPicture();
    StringLog log;
    RemoveGrid(p.binary, true, 0, 0, 400, 300, 1, log);
    EXPECT_EQ(log.Text(), "Degridding...\n");
    cv::Mat curveInk = p.curve == 0, slantedInk = p.slanted == 0, gridInk = p.grid == 0;
    cv::Mat left = p.binary == 0;
    // Every curve and slanted-line pixel is still ink.
    EXPECT_EQ(cv::countNonZero(curveInk & ~left), 0);
    EXPECT_EQ(cv::countNonZero(slantedInk & ~left), 0);
    // Almost all of the grid is gone.
    const int gridLeft = cv::countNonZero(gridInk & left & ~curveInk & ~slantedInk);
    EXPECT_LT(gridLeft, cv::countNonZero(gridInk) / 20);
}

TEST(RemoveGrid, FlagOffLogsButChangesNothing) {
    GridPicture p = MakeGridPicture();
    const cv::Mat before = p.binary.clone();
    StringLog log;
    RemoveGrid(p.binary, false, 0, 0, 400, 300, 1, log);
    EXPECT_EQ(log.Text(), "Degridding...\n");
    EXPECT_EQ(cv::norm(p.binary, before, cv::NORM_INF), 0);
}

TEST(RemoveGrid, WidthZeroActsAsWidthOne) {
    GridPicture zero = MakeGridPicture(), one = MakeGridPicture();
    NullLog log;
    RemoveGrid(zero.binary, true, 0, 0, 400, 300, 0, log);
    RemoveGrid(one.binary, true, 0, 0, 400, 300, 1, log);
    EXPECT_EQ(cv::norm(zero.binary, one.binary, cv::NORM_INF), 0);
    EXPECT_LT(InkIn(zero.binary), InkIn(MakeGridPicture().binary));
    cv::Mat b = White(40, 40);
    b.row(11).setTo(0);
    cv::Vec4i s = Horizontal(10, 0, 39);
    EraseHorizontalGridLine(b, 0, 0, 40, 40, s, 0, 1);
    EXPECT_EQ(InkIn(b), 0);
}

TEST(RemoveGrid, DegenerateImagesDoNotCrash) {
    NullLog log;
    cv::Mat empty;
    RemoveGrid(empty, true, 0, 0, 0, 0, 2, log);
    cv::Mat one(1, 1, CV_8UC1, cv::Scalar(0));
    RemoveGrid(one, true, 0, 0, 1, 1, 2, log);
    EXPECT_EQ(one.at<uchar>(0, 0), 0);
    cv::Mat wide = White(3, 20000);
    wide.row(1).setTo(0);
    RemoveGrid(wide, true, 0, 0, 20000, 3, 2, log);
    EXPECT_EQ(wide.size(), cv::Size(20000, 3));
}

TEST(GridErase, RowPointerErasersMatchThePlainOnesOnRandomImages) {
    std::mt19937 rng(31337);
    for (int round = 0; round < 300; ++round) {
        const int h = 1 + int(rng() % 60), w = 1 + int(rng() % 60);
        cv::Mat b(h, w, CV_8UC1);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.at<uchar>(y, x) = rng() % 4 == 0 ? 0 : 255;
        // Areas and segments that may reach past the image on any side.
        auto coord = [&](int n) { return int(rng() % unsigned(n + 8)) - 4; };
        const int left = coord(w), top = coord(h);
        const int right = left + int(rng() % unsigned(w + 6)), bottom = top + int(rng() % unsigned(h + 6));
        const int width = int(rng() % 5), gap = 1 + int(rng() % 4);
        const bool horizontal = rng() % 2 == 0;
        cv::Vec4i s = horizontal ? Horizontal(coord(h), coord(w), coord(w)) : cv::Vec4i(coord(w), coord(h), 0, coord(h));
        if (!horizontal) s[2] = s[0];
        cv::Vec4i t = s;
        // Half the rounds on a view into a larger picture.
        cv::Mat parent(h + 4, w + 4, CV_8UC1, cv::Scalar(0));
        cv::Mat mine = parent(cv::Rect(2, 2, w, h));
        b.copyTo(mine);
        if (round % 2 == 0) mine = b.clone();
        cv::Mat theirs = b.clone();
        if (horizontal) {
            EraseHorizontalGridLine(mine, left, top, right, bottom, s, width, gap);
            ref::EraseHorizontalGridLine(theirs, left, top, right, bottom, t, width, gap);
        } else {
            EraseVerticalGridLine(mine, left, top, right, bottom, s, width, gap);
            ref::EraseVerticalGridLine(theirs, left, top, right, bottom, t, width, gap);
        }
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(cv::norm(mine, theirs, cv::NORM_INF), 0);
        EXPECT_EQ(s, t);
    }
}

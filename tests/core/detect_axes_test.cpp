// Frame detection: the choice of frame lines from segments (image edges, lone
// lines, clusters of close lines) and the whole detection on drawn pictures.
#include "detect/axes.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <vector>

namespace {
cv::Vec4i Vertical(int x, int rows) { return {x, 0, x, rows - 1}; }
cv::Vec4i Horizontal(int y, int cols) { return {0, y, cols - 1, y}; }

cv::Mat White(int rows, int cols) { return cv::Mat(rows, cols, CV_8UC1, cv::Scalar(255)); }
}  // namespace

TEST(FrameFromSegments, WithoutLinesTheImageEdgesServe) {
    EXPECT_EQ(FrameFromSegments({}, {}, 300, 400), (PlotArea{0, 0, 400, 300}));
}

TEST(FrameFromSegments, LoneVerticalLineSidesWithTheNearerEdge) {
    // Left of 40%: the line is the left frame, the right edge closes the area.
    EXPECT_EQ(FrameFromSegments({Vertical(30, 300)}, {}, 300, 400), (PlotArea{31, 0, 400, 300}));
    // Between 40% and 60%: both image edges are added and the line is neither frame.
    EXPECT_EQ(FrameFromSegments({Vertical(200, 300)}, {}, 300, 400), (PlotArea{0, 0, 400, 300}));
    // Right of 60%: the line is the right frame.
    EXPECT_EQ(FrameFromSegments({Vertical(250, 300)}, {}, 300, 400), (PlotArea{0, 0, 250, 300}));
    // The same rules for a lone horizontal line, with the rows.
    EXPECT_EQ(FrameFromSegments({}, {Horizontal(20, 400)}, 300, 400), (PlotArea{0, 21, 400, 300}));
    EXPECT_EQ(FrameFromSegments({}, {Horizontal(250, 400)}, 300, 400), (PlotArea{0, 0, 400, 250}));
}

TEST(FrameFromSegments, ClustersOfCloseLinesCountAsOneFrame) {
    // 30, 32, 35: the left walk moves to 35, and the area starts after it.
    EXPECT_EQ(FrameFromSegments({Vertical(35, 300), Vertical(30, 300), Vertical(32, 300)}, {}, 300, 400).left, 36);
    // A gap of five ends the walk.
    EXPECT_EQ(FrameFromSegments({Vertical(30, 300), Vertical(35, 300), Vertical(370, 300)}, {}, 300, 400).left, 31);
    // The bottom walk mirrors it: 360, 362, 365 give the bottom at 360.
    const PlotArea a = FrameFromSegments({}, {Horizontal(365, 400), Horizontal(360, 400), Horizontal(362, 400)},
                                         400, 400);
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(a.bottom, 360);
    // The right walk: 365, 368, 370 give the right frame at 365.
    EXPECT_EQ(FrameFromSegments({Vertical(370, 300), Vertical(368, 300), Vertical(365, 300)}, {}, 300, 400).right,
              365);
    // Lines past 40% of the width never extend the left walk.
    EXPECT_EQ(FrameFromSegments({Vertical(158, 300), Vertical(161, 300), Vertical(390, 300)}, {}, 300, 400).left,
              159);
}

TEST(DetectAxes, BlankOrFramelessPicturesGiveTheWholeImage) {
    EXPECT_EQ(DetectAxes(White(300, 400)), (PlotArea{0, 0, 400, 300}));
    // A frame whose sides are shorter than 40% of the picture is no frame.
    cv::Mat small = White(300, 400);
    cv::rectangle(small, cv::Rect(40, 30, 150, 100), cv::Scalar(0), 2);
    EXPECT_EQ(DetectAxes(small), (PlotArea{0, 0, 400, 300}));
}

TEST(DetectAxes, AreaLiesJustInsideADrawnFrame) {
    for (int thickness : {1, 2}) {
        cv::Mat b = White(300, 400);
        cv::rectangle(b, cv::Rect(40, 30, 300, 220), cv::Scalar(0), thickness);  // lines at 40, 339 and 30, 249
        const cv::Mat before = b.clone();
        const PlotArea a = DetectAxes(b);
        SCOPED_TRACE(thickness);
        EXPECT_GT(a.left, 40);
        EXPECT_LE(a.left, 44);
        EXPECT_GT(a.top, 30);
        EXPECT_LE(a.top, 34);
        EXPECT_LE(a.right, 339);
        EXPECT_GE(a.right, 335);
        EXPECT_LE(a.bottom, 249);
        EXPECT_GE(a.bottom, 245);
        EXPECT_EQ(cv::norm(b, before, cv::NORM_INF), 0);  // input untouched
    }
}

TEST(DetectAxes, LoneEdgePositionsFollowTheLoneLineRules) {
    // Ink up to column 30 leaves one long edge there: left frame.
    cv::Mat b = White(300, 400);
    b.colRange(0, 31).setTo(0);
    EXPECT_EQ(DetectAxes(b), (PlotArea{31, 0, 400, 300}));
    // Ink up to column 200: in the middle, neither frame.
    b = White(300, 400);
    b.colRange(0, 201).setTo(0);
    EXPECT_EQ(DetectAxes(b), (PlotArea{0, 0, 400, 300}));
    // Ink up to column 250: right frame.
    b = White(300, 400);
    b.colRange(0, 251).setTo(0);
    EXPECT_EQ(DetectAxes(b), (PlotArea{0, 0, 250, 300}));
}

TEST(DetectAxes, DegenerateSizesStayInsideTheImage) {
    EXPECT_EQ(DetectAxes(cv::Mat()), (PlotArea{0, 0, 0, 0}));
    EXPECT_EQ(DetectAxes(cv::Mat(1, 1, CV_8UC1, cv::Scalar(0))), (PlotArea{0, 0, 1, 1}));
    cv::Mat wide = White(3, 20000);
    wide.row(1).setTo(0);
    const PlotArea w = DetectAxes(wide);
    EXPECT_TRUE(w.left >= 0 && w.left <= w.right && w.right <= 20000 && w.top >= 0 && w.top <= w.bottom &&
                w.bottom <= 3);
    // A view is read as the picture it shows.
    cv::Mat parent(320, 420, CV_8UC1, cv::Scalar(0));
    cv::Mat view = parent(cv::Rect(10, 10, 400, 300));
    view.setTo(255);
    view.colRange(0, 31).setTo(0);
    EXPECT_EQ(DetectAxes(view), (PlotArea{31, 0, 400, 300}));
}

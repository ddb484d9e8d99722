// Thick strokes covered along one edge by another curve get their covered part
// back, so their middle is the stroke's centre; everything else is left alone.
#include "detect/overlap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One run per column over the rows of `own` that are set.
PatchList Stroke(const cv::Mat& own) {
    Patch p;
    for (int x = 0; x < own.cols; ++x) {
        int top = -1;
        for (int y = 0; y <= own.rows; ++y) {
            const bool set = y < own.rows && own.at<uchar>(y, x);
            if (set && top < 0) top = y;
            if (!set && top >= 0) p.push_back({top, x, y - 1}), top = -1;
        }
    }
    std::sort(p.begin(), p.end());
    return {p};
}

}  // namespace

TEST(CoveredEdges, RestoredToTheStrokesOwnThicknessOnlyWhereOneEdgeIsCovered) {
    struct Case {
        const char* name;
        int thickness;
        int coverTop, coverBottom;  // rows of the stroke covered at each edge, columns 30..69
        bool restored;              // covered columns come back to the stroke's centre
    };
    const Case cases[] = {
        {"4 px, 2 covered from above", 4, 2, 0, true},
        {"5 px, 3 covered from above", 5, 3, 0, true},
        {"6 px, 2 covered from below", 6, 0, 2, true},
        {"6 px, 5 covered from below", 6, 0, 5, true},
        {"covered at both edges: left as it is", 6, 2, 1, false},
        {"2 px strokes have no edge to restore", 2, 1, 0, false},
        {"nothing covered", 5, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int y0 = 40;
        cv::Mat own(100, 100, CV_8UC1, cv::Scalar(0));
        own.rowRange(y0, y0 + c.thickness).setTo(1);
        cv::Mat binary(100, 100, CV_8UC1, cv::Scalar(255));
        binary.setTo(0, own);
        // The covering curve: ink over the stroke's edge, 4 rows past it.
        const cv::Range cols(30, 70);
        if (c.coverTop) {
            own(cv::Range(y0, y0 + c.coverTop), cols).setTo(0);
            binary(cv::Range(y0 - 4, y0 + c.coverTop), cols).setTo(0);
        }
        if (c.coverBottom) {
            own(cv::Range(y0 + c.thickness - c.coverBottom, y0 + c.thickness), cols).setTo(0);
            binary(cv::Range(y0 + c.thickness - c.coverBottom, y0 + c.thickness + 4), cols).setTo(0);
        }
        const PatchList graph = Stroke(own);
        const PatchList restored = RestoreCoveredEdges(graph, binary);
        ASSERT_EQ(restored.size(), 1u);
        const double centre = y0 + (c.thickness - 1) / 2.0;
        for (const ::Run& r : restored[0]) {
            const bool covered = r.col >= 30 && r.col < 70;
            const double middle = (r.row1 + r.row2) / 2.0;
            const double visible = (y0 + c.coverTop + y0 + c.thickness - 1 - c.coverBottom) / 2.0;
            if (!covered) EXPECT_EQ(middle, centre) << "column " << r.col;
            else if (c.restored) EXPECT_NEAR(middle, centre, 0.5) << "column " << r.col;
            else EXPECT_EQ(middle, visible) << "column " << r.col;
        }
    }
}

TEST(CoveredEdges, WrongPictureTypeIsAnError) {
    EXPECT_THROW(RestoreCoveredEdges({}, cv::Mat(4, 4, CV_8UC3)), cv::Exception);
}

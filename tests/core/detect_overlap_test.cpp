// Thick strokes covered along one edge by another curve get their covered part
// back, so their middle is the stroke's centre; everything else is left alone.
#include "detect/overlap.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    const int y0 = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The stroke, one run per column, and all ink: the stroke plus the covering
        // curve, which reaches 4 rows past the covered edge.
        Patch stroke;
        cv::Mat binary(100, 100, CV_8UC1, cv::Scalar(255));
        for (int x = 0; x < 100; ++x) {
            const bool covered = x >= 30 && x < 70;
            const int top = y0 + (covered ? c.coverTop : 0), bottom = y0 + c.thickness - 1 - (covered ? c.coverBottom : 0);
            stroke.push_back({top, x, bottom});
            binary.col(x).rowRange(y0, y0 + c.thickness).setTo(0);
            if (covered && c.coverTop) binary.col(x).rowRange(y0 - 4, y0).setTo(0);
            if (covered && c.coverBottom) binary.col(x).rowRange(y0 + c.thickness, y0 + c.thickness + 4).setTo(0);
        }
        std::sort(stroke.begin(), stroke.end());
        const PatchList restored = RestoreCoveredEdges(PatchList{stroke}, binary);
        ASSERT_EQ(restored.size(), 1u);
        const double centre = y0 + (c.thickness - 1) / 2.0;
        ASSERT_EQ(restored[0].size(), stroke.size());
        for (const ::Run& after : restored[0]) {
            const ::Run& before = *std::find_if(stroke.begin(), stroke.end(), [&](auto& r) { return r.col == after.col; });
            const bool covered = after.col >= 30 && after.col < 70;
            const double middle = (after.row1 + after.row2) / 2.0;
            if (!covered || !c.restored) EXPECT_EQ(after, before) << "column " << after.col;
            else EXPECT_NEAR(middle, centre, 0.5) << "column " << after.col;
        }
    }
}

TEST(CoveredEdges, WrongPictureTypeIsAnError) {
    EXPECT_THROW(RestoreCoveredEdges(PatchList(), cv::Mat(4, 4, CV_8UC3)), cv::Exception);
}

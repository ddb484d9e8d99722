// Thinning, the point list built from patches, the patch box / hover key and the
// highlight pictures grouped by that key.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <tuple>

#include "detect/hover.h"
#include "detect/thinning.h"
#include "reference/thinning_reference.h"
#include "support/builders.h"

TEST(ThinLines, StrokesKeepOnlyTheirMiddleAndLoseTheBorder) {
    // name, stroke ends and thickness, and the skeleton's box, or empty: the one-pixel stroke
    // unchanged but for the border
    const std::tuple<const char*, cv::Point, cv::Point, int, cv::Rect> cases[] = {
        {"horizontal", {3, 10}, {40, 10}, 1, {}},        {"vertical", {12, 2}, {12, 27}, 1, {}},
        {"diagonal", {4, 4}, {25, 25}, 1, {}},           {"anti-diagonal", {30, 3}, {8, 25}, 1, {}},
        {"through the edges", {0, 10}, {44, 10}, 1, {}}, {"corner to corner", {0, 0}, {44, 29}, 1, {}},
        {"bar, rows 12..16", {6, 14}, {38, 14}, 5, {10, 14, 25, 1}}};
    for (const auto& [name, a, b, thickness, box] : cases) {
        cv::Mat m = cv::Mat::zeros(30, 45, CV_8UC1);
        cv::line(m, a, b, cv::Scalar(1), thickness, cv::LINE_8);
        cv::Mat expected = m.clone();
        cv::rectangle(expected, {0, 0, 45, 30}, cv::Scalar(0));
        const int passes = ThinLines(m);
        if (box.empty()) {
            EXPECT_EQ(passes, 1) << name;
            EXPECT_TRUE(SameImage(m, expected)) << name;
        } else {
            EXPECT_GT(passes, 1) << name;
            EXPECT_EQ(cv::countNonZero(m(box)), box.area()) << name;  // the middle row stays
        }
    }
}

TEST(ThinLines, AgreesWithReferenceOnRandomMasksAndViews) {
    cv::RNG rng(20240611);
    const cv::Size sizes[] = {{1, 1}, {2, 7}, {7, 2}, {3, 3}, {4, 5}, {37, 53}, {64, 64}, {101, 29}};
    for (const cv::Size& size : sizes) {
        for (int trial = 0; trial < 16; ++trial) {
            // A view into a bigger picture whose surroundings must stay untouched.
            cv::Mat big(size.height + 4, size.width + 6, CV_8UC1, cv::Scalar(9));
            cv::Mat m = big(cv::Rect(trial % 3, trial % 4, size.width, size.height));
            m.setTo(0);
            if (trial % 4 == 0) {
                const double density = 0.1 + 0.3 * (trial / 4);
                for (int r = 0; r < m.rows; ++r)
                    for (int c = 0; c < m.cols; ++c) m.at<uchar>(r, c) = rng.uniform(0.0, 1.0) < density;
            } else if (trial % 4 == 1) {
                m.setTo(trial);  // solid, any non-zero value counting as set
            } else {
                for (int k = 0; k < 4; ++k)
                    cv::line(m, {rng.uniform(-3, m.cols + 3), rng.uniform(-3, m.rows + 3)},
                             {rng.uniform(-3, m.cols + 3), rng.uniform(-3, m.rows + 3)}, cv::Scalar(255),
                             rng.uniform(1, 9), cv::LINE_8);
                cv::circle(m, {rng.uniform(0, m.cols), rng.uniform(0, m.rows)}, rng.uniform(1, 12), cv::Scalar(1), -1);
            }
            cv::Mat expected = m.clone();
            const int expectedPasses = ThinLinesReference(expected);
            cv::Mat outside = big.clone();
            EXPECT_EQ(ThinLines(m), expectedPasses) << size << " trial " << trial;
            EXPECT_TRUE(SameImage(m, expected)) << size << " trial " << trial;
            m.setTo(0);
            outside(cv::Rect(trial % 3, trial % 4, size.width, size.height)).setTo(0);
            EXPECT_TRUE(SameImage(big, outside)) << size << " trial " << trial;
        }
    }
}

TEST(BuildPointList, SpecialCases) {
    // A one-pixel stroke along row 10 stepping down to row 11 at column 15, which holds
    // both rows; a second stroke on row 14.
    Patch step, below;
    for (int c = 5; c <= 25; ++c) {
        step.push_back(::Run{c < 15 ? 10 : 11, c, c <= 15 ? 10 : 11});
        below.push_back(::Run{14, c, 14});
    }
    struct Case {
        const char* name;
        PatchList patches;
        bool thin;
        int side;  // of the square picture
        int passes;
        PointList points;  // all of them, or the ones at column 15 when the list is long
    };
    const Case cases[] = {
        {"no thinning: every pixel", {{::Run{7, 5, 3}}, {::Run{2, 1, 2}, ::Run{4, 5, 4}}}, false, 20, -1,
         PointList{{1, 2}, {5, 3}, {5, 4}, {5, 4}, {5, 5}, {5, 6}, {5, 7}}},
        {"a column's two rows meet in the middle", {step}, true, 40, 1, PointList{{15, 10.5}}},
        {"rows 10, 11 and 14 give 10.5 and 14", {step, below}, true, 40, 1, PointList{{15, 10.5}, {15, 14}}},
        {"the first row is lost", {{::Run{0, 5, 10}}}, true, 20, 1, PointList{{5, 5.5}}},
        {"pixels outside the picture are ignored",
         {{::Run{-5, 3, -1}, ::Run{2, -1, 6}, ::Run{2, 20, 6}, ::Run{25, 4, 30}}}, true, 20, 1, {}},
        {"a run through the picture", {{::Run{-50, 8, 50}}}, true, 20, 1, PointList{{8, 9.5}}},
        {"nothing", {}, true, 20, 1, {}},
    };
    for (const Case& c : cases) {
        PointList points;
        ColumnMap columns;
        EXPECT_EQ(BuildPointList(points, c.patches, c.side, c.side, c.thin, columns), c.passes) << c.name;
        if (points.size() > 8)
            points.erase(std::remove_if(points.begin(), points.end(), [](const cv::Point2d& p) { return p.x != 15; }),
                         points.end());
        EXPECT_EQ(points, c.points) << c.name;
        for (const cv::Point2d& p : points) {
            const std::vector<int>& rows = columns.at(int(p.x));
            EXPECT_NE(std::find(rows.begin(), rows.end(), int(p.y)), rows.end()) << c.name;
        }
    }
}

TEST(BuildPointList, AgreesWithWholeImageReference) {
    cv::RNG rng(99);
    const cv::Size sizes[] = {{5, 4}, {33, 21}, {64, 47}, {17, 90}};
    for (const cv::Size& size : sizes) {
        for (int trial = 0; trial < 15; ++trial) {
            PatchList patches(rng.uniform(1, 4));
            for (Patch& patch : patches) {
                int col = rng.uniform(-2, size.width + 2), row = rng.uniform(-2, size.height + 2);
                for (int k = rng.uniform(1, 40); k > 0; --k) {
                    col += rng.uniform(-1, 2);
                    row += rng.uniform(-2, 3);
                    patch.push_back(::Run{row + rng.uniform(-3, 4), col, row});
                }
            }
            for (bool thin : {true, false}) {
                PointList got, expected;
                ColumnMap gotColumns, expectedColumns;
                EXPECT_EQ(BuildPointList(got, patches, size.height, size.width, thin, gotColumns),
                          BuildPointListReference(expected, patches, size.height, size.width, thin, expectedColumns));
                EXPECT_EQ(got, expected) << size << " trial " << trial << " thin " << thin;
                EXPECT_EQ(gotColumns, expectedColumns);
            }
        }
    }
}

TEST(HoverPictures, PatchBoxKeyAndOnePicturePerPatchGroupedByKey) {
    EXPECT_EQ(PatchBoundingBox({}), kNoRect);
    EXPECT_EQ(PatchBoundingBox({::Run{40, 12, 30}, ::Run{25, 9, 28}, ::Run{33, 17, 41}}), (IRect{9, 25, 17, 41}));
    // Boxes that scale alike share a key; a unit apart at this scale they do not.
    EXPECT_EQ(HoverKey(IRect{100, 100, 200, 200}, 1000, 1000), HoverKey(IRect{101, 101, 202, 201}, 1000, 1000));
    EXPECT_NE(HoverKey(IRect{100, 100, 200, 200}, 1000, 1000), HoverKey(IRect{100, 100, 204, 200}, 1000, 1000));

    // One highlight picture per patch, sized to its box plus the margin, grouped by key.
    const cv::Vec3b white(255, 255, 255), magenta(255, 0, 255);
    const Patch vertical{{20, 40, 30}};  // column 40, rows 20..30
    HoverMap map;
    BuildHoverPictures(map, {vertical, Patch{}}, 200, 300, kHoverMargin);  // an empty patch has no picture
    ASSERT_EQ(map.size(), 1u);
    const cv::Mat& picture = map.at(HoverKey(PatchBoundingBox(vertical), 200, 300)).at(0);
    ASSERT_EQ(picture.size(), cv::Size(2 * kHoverMargin + 1, 10 + 2 * kHoverMargin + 1));
    EXPECT_EQ(picture.type(), CV_8UC3);
    // The run sits at the margin, drawn 4 pixels wide in magenta on white.
    for (int dx : {-1, 0, 1}) EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin + dx), magenta) << dx;
    EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin + 4), white);
    EXPECT_EQ(picture.at<cv::Vec3b>(0, 0), white);

    // In a 2000-pixel image, boxes one pixel apart scale to the same key; patch order is kept.
    const Patch first{{100, 500, 140}}, second{{100, 501, 140}, {100, 500, 101}};
    map.clear();
    BuildHoverPictures(map, {first, second}, 2000, 2000, kHoverMargin);
    ASSERT_EQ(map.size(), 1u);
    const std::vector<cv::Mat>& pictures = map.begin()->second;
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].cols, 2 * kHoverMargin + 1) << "the first patch's picture comes first";
    EXPECT_EQ(pictures[1].cols, 1 + 2 * kHoverMargin + 1);
}

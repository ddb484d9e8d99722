// Thinning, the point list built from patches, the patch box / hover key and the
// highlight pictures grouped by that key.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "detect/hover.h"
#include "detect/thinning.h"
#include "reference/thinning_reference.h"
#include "support/builders.h"

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

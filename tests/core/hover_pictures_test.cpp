// Highlight pictures: sized to the patch's box plus the margin, white with the runs
// drawn 4 pixels wide in magenta, grouped by the scaled-box key.
#include <gtest/gtest.h>

#include "detect/hover.h"
#include "detect/thinning.h"

namespace {
const cv::Vec3b kWhite(255, 255, 255), kMagenta(255, 0, 255);
}

TEST(HoverPictures, OnePicturePerPatchSizedToItsBoxPlusMargin) {
    const Patch vertical{{20, 40, 30}};  // column 40, rows 20..30
    HoverMap map;
    BuildHoverPictures(map, {vertical}, 200, 300, kHoverMargin);
    ASSERT_EQ(map.size(), 1u);
    const int key = HoverKey(PatchBoundingBox(vertical), 200, 300);
    ASSERT_EQ(map.count(key), 1u);
    const cv::Mat& picture = map[key].front();
    EXPECT_EQ(picture.cols, 0 + 2 * kHoverMargin + 1);
    EXPECT_EQ(picture.rows, 10 + 2 * kHoverMargin + 1);
    EXPECT_EQ(picture.type(), CV_8UC3);
    // The run sits at the margin; 4 pixels wide means the columns beside it are painted too.
    EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin), kMagenta);
    EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin - 1), kMagenta);
    EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin + 1), kMagenta);
    EXPECT_EQ(picture.at<cv::Vec3b>(kHoverMargin + 5, kHoverMargin + 4), kWhite);
    EXPECT_EQ(picture.at<cv::Vec3b>(0, 0), kWhite);
}

TEST(HoverPictures, PatchesWithTheSameScaledBoxShareAKeyInPatchOrder) {
    // In a 2000-pixel image, boxes one pixel apart scale to the same 0..255 values.
    const Patch first{{100, 500, 140}}, second{{100, 501, 140}, {100, 500, 101}};
    HoverMap map;
    BuildHoverPictures(map, {first, second}, 2000, 2000, kHoverMargin);
    ASSERT_EQ(map.size(), 1u);
    const std::vector<cv::Mat>& pictures = map.begin()->second;
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].cols, 2 * kHoverMargin + 1) << "the first patch's picture comes first";
    EXPECT_EQ(pictures[1].cols, 1 + 2 * kHoverMargin + 1);
}

TEST(HoverPictures, NoPatchesGiveAnEmptyMap) {
    HoverMap map;
    BuildHoverPictures(map, {}, 100, 100, kHoverMargin);
    BuildHoverPictures(map, {Patch{}}, 100, 100, kHoverMargin);
    EXPECT_TRUE(map.empty());
}

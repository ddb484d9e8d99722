// The detection map and colour classes: map contents and order, the six reference
// colours and their ties, and agreement with the plain versions on random pictures
// and views; binarisation against the plain version and on pictures of known ink.
#include "detect/binarise.h"
#include "detect/colour.h"
#include "reference/detect_reference.h"
#include "support/builders.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<DetectionEntry> Flatten(const ref::DetectionMap& map) {
    std::vector<DetectionEntry> out;
    for (const auto& [key, colour] : map) out.push_back({key.first, key.second, colour});
    return out;
}

// A picture of smooth random colour strokes on white and its binary image,
// ink where any channel is below 150.
struct Picture {
    cv::Mat image, binary;
};

Picture RandomPicture(std::mt19937& rng, int h, int w) {
    Picture p;
    p.image = cv::Mat(h, w, CV_8UC3, cv::Scalar(255, 255, 255));
    std::uniform_int_distribution<int> byte(0, 255), px(0, w - 1), py(0, h - 1);
    for (int i = 0; i < w * h / 40 + 3; ++i) {
        const cv::Scalar c(byte(rng), byte(rng), byte(rng));
        cv::line(p.image, {px(rng), py(rng)}, {px(rng), py(rng)}, c, 1 + int(rng() % 3));
    }
    cv::Mat noise(h, w, CV_8UC3);
    cv::randu(noise, 0, 24);
    cv::subtract(p.image, noise, p.image);
    cv::inRange(p.image, cv::Scalar::all(150), cv::Scalar::all(255), p.binary);  // 255 where no channel is dark
    return p;
}

}  // namespace

TEST(DetectionMap, AreasAreCutToTheImage) {
    // Contents and order inside the image are compared with the plain version below.
    // Empty or outside areas hold nothing; others are cut to the image (all ink, 5 x 5).
    const cv::Mat dark(5, 5, CV_8UC3, cv::Scalar(0, 0, 0)), allInk(5, 5, CV_8UC1, cv::Scalar(0));
    EXPECT_TRUE(BuildDetectionMap(allInk, dark, {2, 0, 2, 5}).empty());     // no columns
    EXPECT_TRUE(BuildDetectionMap(allInk, dark, {7, 0, 9, 5}).empty());     // right of the image
    EXPECT_TRUE(BuildDetectionMap(allInk, dark, {3, 0, 1, 5}).empty());     // right < left
    EXPECT_EQ(BuildDetectionMap(allInk, dark, {-3, -2, 2, 1}).size(), 2u);  // cut to the image
    EXPECT_EQ(BuildDetectionMap(allInk, dark, {3, 3, 90, 90}).size(), 4u);
}

TEST(ColourDetection, ReferencesClassifyToThemselvesTiesToTheSmallerLNoInkToNoLabel) {
    for (size_t i = 0; i < kReferenceColours.size(); ++i)
        EXPECT_EQ(NearestReference(kReferenceColours[i]), int(i));
    // Ties go to the reference with the smaller L.
    EXPECT_EQ(NearestReference(cv::Vec3b(113, 83, 35)), 0);    // black and blue equally near
    EXPECT_EQ(NearestReference(cv::Vec3b(145, 217, 131)), 1);  // red and magenta
    EXPECT_EQ(NearestReference(cv::Vec3b(146, 157, 255)), 1);  // red and yellow
    // Other colours, and each entry's map colour, are compared with the plain version below.
    cv::Mat classes;
    // No ink gives no labels.
    DetectionMap none;
    DetectColours(classes, cv::Mat(4, 7, CV_8UC3, cv::Scalar(0, 0, 0)), none);
    EXPECT_TRUE(SameImage(classes, cv::Mat::zeros(4, 7, CV_8UC1)));
}

namespace {
// The classes and the map's colours agree with the plain version's.
void ExpectLikeThePlainVersion(const cv::Mat& image, const cv::Mat& binary, const PlotArea& area) {
    ref::DetectionMap expectedMap = ref::BuildDetectionMap(binary, image, area);
    cv::Mat expectedClasses, classes;
    ref::DetectColours(expectedClasses, image, expectedMap);
    DetectionMap map = BuildDetectionMap(binary, image, area);
    DetectColours(classes, image, map);
    EXPECT_TRUE(SameImage(classes, ref::LabelsOf(expectedClasses)));
    EXPECT_EQ(map.Entries(), Flatten(expectedMap));
}
}  // namespace

TEST(ColourDetection, MatchesThePlainVersionWithItsMemo) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 16; ++round) {
        const int h = 1 + int(rng() % 90), w = 1 + int(rng() % 120);
        const Picture p = RandomPicture(rng, h, w);
        const int l = int(rng() % unsigned(w)), t = int(rng() % unsigned(h));
        const PlotArea area{l, t, w - int(rng() % unsigned(w - l)), h - int(rng() % unsigned(h - t))};
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectLikeThePlainVersion(p.image, p.binary, area);
        // Views read none of their parents' pixels: smoothing and the map see what a copy shows.
        cv::Mat big(h + 6, w + 10, CV_8UC3, cv::Scalar(0, 0, 255)), bigBinary(h + 6, w + 10, CV_8UC1, cv::Scalar(0));
        const cv::Rect where(4, 2, w, h);
        p.image.copyTo(big(where));
        p.binary.copyTo(bigBinary(where));
        ExpectLikeThePlainVersion(big(where), bigBinary(where), area);
    }
    // Every pixel ink and of its own noisy colour: tens of thousands of entries,
    // far more distinct Lab values than the memo holds.
    cv::Mat noise(211, 307, CV_8UC3);
    cv::randu(noise, 0, 256);
    ExpectLikeThePlainVersion(noise, cv::Mat(noise.size(), CV_8UC1, cv::Scalar(0)), {3, 2, 305, 210});
}

TEST(Binarise, MatchesThePlainVersionOnRandomImagesViewsAndLaterCalls) {
    std::mt19937 rng(4242);
    std::vector<double> first;  // levels of the first call, in force for every later one
    for (int round = 0; round < 25; ++round) {
        const int h = 1 + int(rng() % 80), w = 1 + int(rng() % 80);
        const cv::Mat image = RandomPicture(rng, h, w).image;
        cv::Mat parent(h + 3, w + 5, CV_8UC3, cv::Scalar(0, 0, 0));
        image.copyTo(parent(cv::Rect(4, 1, w, h)));
        for (const cv::Mat& source : {image, parent(cv::Rect(4, 1, w, h))}) {
            std::vector<double> mine = first, theirs = first;
            cv::Mat out, expected;
            BinariseByChannels(out, source, mine, 3);
            ref::BinariseByChannels(expected, image, theirs, 3);
            EXPECT_TRUE(SameImage(out, expected)) << round;
            EXPECT_EQ(mine, theirs) << round;
        }
        cv::Mat scratch;
        if (round == 0) BinariseByChannels(scratch, image, first, 3);
    }
}

TEST(Binarise, SmallPicturesGiveTheirKnownInk) {
    // Given channel levels are compared with the plain version above. The grey threshold is strictly greater.
    cv::Mat out;
    const cv::Mat grey = (cv::Mat_<cv::Vec3b>(1, 3) << cv::Vec3b(128, 128, 128), cv::Vec3b(129, 129, 129),
                          cv::Vec3b(0, 0, 0));
    BinariseByGrey(out, grey, 128);
    EXPECT_TRUE(SameImage(out, cv::Mat((cv::Mat_<uchar>(1, 3) << 0, 255, 0))));
    // Empty, one pixel, and more channels asked for than the picture has.
    std::vector<double> levels;
    BinariseByChannels(out, cv::Mat(), levels, 3);
    EXPECT_TRUE(out.empty() && levels.empty());
    BinariseByChannels(out, cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), levels, 3);
    EXPECT_TRUE(SameImage(out, cv::Mat(1, 1, CV_8UC1, cv::Scalar(0))));
    EXPECT_EQ(levels.size(), 3u);
    levels.clear();
    BinariseByChannels(out, cv::Mat(2, 2, CV_8UC1, cv::Scalar(255)), levels, 3);
    EXPECT_EQ(levels.size(), 1u);
    EXPECT_EQ(cv::countNonZero(out), 4);
}

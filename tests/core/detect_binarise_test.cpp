// Per-channel binarisation: agreement with the plain split-threshold-AND version,
// the levels of the first call staying in force, and a dark channel making ink.
#include "detect/binarise.h"
#include "reference/detect_reference.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>
#include <string>

namespace {
bool Same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

cv::Mat RandomImage(std::mt19937& rng, int h, int w) {
    cv::Mat m(h, w, CV_8UC3, cv::Scalar(230, 240, 250));
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 1 + w * h / 50; ++i)
        cv::circle(m, {int(rng() % unsigned(w)), int(rng() % unsigned(h))}, int(rng() % 6),
                   cv::Scalar(byte(rng), byte(rng), byte(rng)), cv::FILLED);
    return m;
}
}  // namespace

TEST(Binarise, MatchesThePlainVersionOnRandomImagesAndViews) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 25; ++round) {
        const int h = 1 + int(rng() % 80), w = 1 + int(rng() % 80);
        const cv::Mat image = RandomImage(rng, h, w);
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<double> mine, theirs;
        cv::Mat out, expected;
        BinariseByChannels(out, image, mine, 3);
        ref::BinariseByChannels(expected, image, theirs, 3);
        EXPECT_TRUE(Same(out, expected));
        EXPECT_EQ(mine, theirs);

        cv::Mat parent(h + 3, w + 5, CV_8UC3, cv::Scalar(0, 0, 0));
        image.copyTo(parent(cv::Rect(4, 1, w, h)));
        std::vector<double> viewLevels;
        BinariseByChannels(out, parent(cv::Rect(4, 1, w, h)), viewLevels, 3);
        EXPECT_TRUE(Same(out, expected));
        EXPECT_EQ(viewLevels, theirs);
    }
}

TEST(Binarise, LaterCallsUseTheFirstCallsLevels) {
    std::mt19937 rng(5);
    const cv::Mat first = RandomImage(rng, 50, 60);
    cv::Mat second = RandomImage(rng, 40, 70);
    second.colRange(0, 30).setTo(cv::Scalar(120, 120, 120));  // shifts its own Otsu levels
    std::vector<double> levels;
    cv::Mat out;
    BinariseByChannels(out, first, levels, 3);
    const std::vector<double> firstLevels = levels;
    BinariseByChannels(out, second, levels, 3);
    ASSERT_EQ(levels.size(), 6u);
    EXPECT_TRUE(std::equal(firstLevels.begin(), firstLevels.end(), levels.begin()));

    // The second picture was cut at the first picture's levels, not at its own.
    std::vector<double> ownLevels;
    cv::Mat own;
    BinariseByChannels(own, second, ownLevels, 3);
    EXPECT_EQ(std::vector<double>(levels.begin() + 3, levels.end()), ownLevels);
    ASSERT_NE(ownLevels, firstLevels);
    std::vector<double> preset = firstLevels;
    cv::Mat expected;
    ref::BinariseByChannels(expected, second, preset, 3);
    EXPECT_TRUE(Same(out, expected));
    EXPECT_FALSE(Same(out, own));
}

TEST(Binarise, ADarkChannelMakesInk) {
    // Mid-grey, a pixel dark only in green, a pixel dark only in blue, white.
    cv::Mat image(1, 4, CV_8UC3);
    image.at<cv::Vec3b>(0, 0) = {200, 200, 200};
    image.at<cv::Vec3b>(0, 1) = {250, 10, 250};
    image.at<cv::Vec3b>(0, 2) = {250, 250, 10};
    image.at<cv::Vec3b>(0, 3) = {255, 255, 255};
    std::vector<double> levels = {100, 100, 100};  // fixed levels in force
    cv::Mat out;
    BinariseByChannels(out, image, levels, 3);
    EXPECT_EQ(out.at<uchar>(0, 0), 255);
    EXPECT_EQ(out.at<uchar>(0, 1), 0);
    EXPECT_EQ(out.at<uchar>(0, 2), 0);
    EXPECT_EQ(out.at<uchar>(0, 3), 255);
}

TEST(Binarise, DegenerateInputs) {
    std::vector<double> levels;
    cv::Mat out;
    BinariseByChannels(out, cv::Mat(), levels, 3);
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(levels.empty());

    BinariseByChannels(out, cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), levels, 3);
    ASSERT_EQ(out.size(), cv::Size(1, 1));
    EXPECT_EQ(out.at<uchar>(0, 0), 0);
    EXPECT_EQ(levels.size(), 3u);

    // More channels asked for than the image has: only its own are used.
    levels.clear();
    BinariseByChannels(out, cv::Mat(2, 2, CV_8UC1, cv::Scalar(255)), levels, 3);
    EXPECT_EQ(levels.size(), 1u);
    EXPECT_EQ(cv::countNonZero(out), 4);
}

TEST(Binarise, GreyThresholdIsStrictlyGreater) {
    cv::Mat image(1, 3, CV_8UC3);
    image.at<cv::Vec3b>(0, 0) = {128, 128, 128};
    image.at<cv::Vec3b>(0, 1) = {129, 129, 129};
    image.at<cv::Vec3b>(0, 2) = {0, 0, 0};
    cv::Mat out;
    BinariseByGrey(out, image, 128);
    EXPECT_EQ(out.at<uchar>(0, 0), 0);
    EXPECT_EQ(out.at<uchar>(0, 1), 255);
    EXPECT_EQ(out.at<uchar>(0, 2), 0);
}

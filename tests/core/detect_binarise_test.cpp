// Per-channel binarisation: agreement with the plain split-threshold-AND version on
// random pictures and views, the first call's levels staying in force, and small
// pictures whose ink is known.
#include "detect/binarise.h"
#include "reference/detect_reference.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>

namespace {
bool Same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

cv::Mat RandomImage(std::mt19937& rng, int h, int w) {
    cv::Mat m(h, w, CV_8UC3, cv::Scalar(230, 240, 250));
    for (int i = 0; i < 1 + w * h / 50; ++i)
        cv::circle(m, {int(rng() % unsigned(w)), int(rng() % unsigned(h))}, int(rng() % 6),
                   cv::Scalar(rng() % 256, rng() % 256, rng() % 256), cv::FILLED);
    return m;
}
}  // namespace

TEST(Binarise, MatchesThePlainVersionOnRandomImagesViewsAndLaterCalls) {
    std::mt19937 rng(4242);
    std::vector<double> first;  // levels of the first call, in force for every later one
    for (int round = 0; round < 25; ++round) {
        const int h = 1 + int(rng() % 80), w = 1 + int(rng() % 80);
        const cv::Mat image = RandomImage(rng, h, w);
        cv::Mat parent(h + 3, w + 5, CV_8UC3, cv::Scalar(0, 0, 0));
        image.copyTo(parent(cv::Rect(4, 1, w, h)));
        for (const cv::Mat& source : {image, parent(cv::Rect(4, 1, w, h))}) {
            std::vector<double> mine = first, theirs = first;
            cv::Mat out, expected;
            BinariseByChannels(out, source, mine, 3);
            ref::BinariseByChannels(expected, image, theirs, 3);
            EXPECT_TRUE(Same(out, expected)) << round;
            EXPECT_EQ(mine, theirs) << round;
        }
        cv::Mat scratch;
        if (round == 0) BinariseByChannels(scratch, image, first, 3);
    }
}

TEST(Binarise, SmallPicturesGiveTheirKnownInk) {
    // Mid-grey, dark only in green, dark only in blue, white, at fixed levels 100.
    cv::Mat four(1, 4, CV_8UC3);
    four.at<cv::Vec3b>(0, 0) = {200, 200, 200};
    four.at<cv::Vec3b>(0, 1) = {250, 10, 250};
    four.at<cv::Vec3b>(0, 2) = {250, 250, 10};
    four.at<cv::Vec3b>(0, 3) = {255, 255, 255};
    std::vector<double> levels = {100, 100, 100};
    cv::Mat out;
    BinariseByChannels(out, four, levels, 3);
    EXPECT_TRUE(Same(out, cv::Mat((cv::Mat_<uchar>(1, 4) << 255, 0, 0, 255))));
    // The grey threshold is strictly greater.
    cv::Mat grey(1, 3, CV_8UC3);
    grey.at<cv::Vec3b>(0, 0) = {128, 128, 128};
    grey.at<cv::Vec3b>(0, 1) = {129, 129, 129};
    grey.at<cv::Vec3b>(0, 2) = {0, 0, 0};
    BinariseByGrey(out, grey, 128);
    EXPECT_TRUE(Same(out, cv::Mat((cv::Mat_<uchar>(1, 3) << 0, 255, 0))));
    // Empty, one pixel, and more channels asked for than the picture has.
    levels.clear();
    BinariseByChannels(out, cv::Mat(), levels, 3);
    EXPECT_TRUE(out.empty() && levels.empty());
    BinariseByChannels(out, cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), levels, 3);
    EXPECT_TRUE(Same(out, cv::Mat(1, 1, CV_8UC1, cv::Scalar(0))));
    EXPECT_EQ(levels.size(), 3u);
    levels.clear();
    BinariseByChannels(out, cv::Mat(2, 2, CV_8UC1, cv::Scalar(255)), levels, 3);
    EXPECT_EQ(levels.size(), 1u);
    EXPECT_EQ(cv::countNonZero(out), 4);
}

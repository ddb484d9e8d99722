#pragma once
// Per-channel binarisation of the document image.
#include <opencv2/core.hpp>

#include <vector>

// Ink value and background value of a binary image.
inline constexpr unsigned char kInk = 0;
inline constexpr unsigned char kBackground = 255;

// Binarises `image` (8-bit, `channels` planes are used) into `out`: 8-bit single
// channel of the image's size, 255 where every used channel is brighter than its
// level, 0 (ink) where any one is not. Appends each plane's Otsu level to
// `thresholds`, but thresholds plane i at thresholds[i]: once the list is filled,
// later calls keep using the levels of the first call. A `channels` count above the
// image's channel count is reduced to it; an empty image gives an empty `out`.
void BinariseByChannels(cv::Mat& out, const cv::Mat& image, std::vector<double>& thresholds, int channels);

// The fixed-threshold binarisation: the red-green-blue image's grey level
// thresholded at `threshold` (255 where grey > threshold, else 0).
void BinariseByGrey(cv::Mat& out, const cv::Mat& image, int threshold);

#include "detect/binarise.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

void BinariseByChannels(cv::Mat& out, const cv::Mat& image, std::vector<double>& thresholds, int channels) {
    if (image.empty()) {
        out.release();
        return;
    }
    cv::Mat source = image;
    if (source.depth() != CV_8U) image.convertTo(source, CV_8U);  // Otsu works on 8-bit planes only
    const int n = std::clamp(channels, 0, source.channels());
    if (n == 0) {
        out.create(source.size(), CV_8UC1);
        out.setTo(kBackground);
        return;
    }
    std::vector<cv::Mat> planes;
    cv::split(source, planes);
    cv::Mat level;
    for (int i = 0; i < n; ++i) {
        cv::Mat& dst = i == 0 ? out : level;
        const double otsu = cv::threshold(planes[i], dst, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        thresholds.push_back(otsu);
        // The Otsu call already produced the plane at its own level; redo it only
        // when an earlier call's level is the one in force.
        if (thresholds[i] != otsu) cv::threshold(planes[i], dst, thresholds[i], 255, cv::THRESH_BINARY);
        if (i > 0) cv::bitwise_and(out, level, out);
        planes[i].release();
    }
}

void BinariseByGrey(cv::Mat& out, const cv::Mat& image, int threshold) {
    if (image.empty()) {
        out.release();
        return;
    }
    cv::Mat grey;
    if (image.channels() == 3)
        cv::cvtColor(image, grey, cv::COLOR_RGB2GRAY);
    else if (image.channels() == 4)
        cv::cvtColor(image, grey, cv::COLOR_RGBA2GRAY);
    else
        grey = image;
    cv::threshold(grey, out, threshold, 255, cv::THRESH_BINARY);
}

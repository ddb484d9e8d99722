#pragma once
// Helpers for line segments found by the probabilistic Hough transform.
#include <opencv2/core.hpp>

#include <algorithm>
#include <vector>

// Sorts segments by one coordinate (0 = x1, 1 = y1) and keeps the first of each equal value.
inline void SortUniqueSegments(std::vector<cv::Vec4i>& lines, int axis) {
    std::stable_sort(lines.begin(), lines.end(),
                     [axis](const cv::Vec4i& a, const cv::Vec4i& b) { return a[axis] < b[axis]; });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [axis](const cv::Vec4i& a, const cv::Vec4i& b) { return a[axis] == b[axis]; }),
                lines.end());
}

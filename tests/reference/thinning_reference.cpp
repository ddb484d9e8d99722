#include "reference/thinning_reference.h"

#include <algorithm>

int ThinLinesReference(cv::Mat& mask) {
    cv::Mat keep = cv::Mat::zeros(mask.size(), CV_8UC1);
    int passes = 0;
    for (;;) {
        bool changed = false;
        for (int step = 0; step < 2; ++step) {
            const cv::Mat before = mask.clone();
            auto at = [&](int i, int j) { return before.at<uchar>(i, j) != 0 ? 1 : 0; };
            for (int i = 1; i <= mask.rows - 2; ++i) {
                for (int j = 1; j <= mask.cols - 2; ++j) {
                    if (!at(i, j)) continue;
                    keep.at<uchar>(i, j) = 1;
                    const int P2 = at(i - 1, j), P3 = at(i - 1, j + 1), P4 = at(i, j + 1), P5 = at(i + 1, j + 1);
                    const int P6 = at(i + 1, j), P7 = at(i + 1, j - 1), P8 = at(i, j - 1), P9 = at(i - 1, j - 1);
                    const int seq[9] = {P2, P3, P4, P5, P6, P7, P8, P9, P2};
                    int A = 0;
                    for (int k = 0; k < 8; ++k)
                        if (seq[k] == 0 && seq[k + 1] == 1) ++A;
                    const int B = P2 + P3 + P4 + P5 + P6 + P7 + P8 + P9;
                    const bool products = step == 0 ? (P2 * P4 * P6 == 0 && P4 * P6 * P8 == 0)
                                                    : (P2 * P4 * P8 == 0 && P2 * P6 * P8 == 0);
                    if (A == 1 && B >= 2 && B <= 6 && products) {
                        keep.at<uchar>(i, j) = 0;
                        changed = true;
                    }
                }
            }
            // mask = mask AND keep, with any non-zero mask value counting as set.
            for (int i = 0; i < mask.rows; ++i)
                for (int j = 0; j < mask.cols; ++j)
                    mask.at<uchar>(i, j) = (mask.at<uchar>(i, j) != 0 && keep.at<uchar>(i, j) != 0) ? 1 : 0;
        }
        ++passes;
        if (!changed) break;
    }
    return passes;
}

int BuildPointListReference(PointList& points, const PatchList& patches, int imageHeight, int imageWidth, bool thin,
                            ColumnMap& columnMap) {
    points.clear();
    int result = -1;
    auto byXThenY = [](const cv::Point2d& a, const cv::Point2d& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    };
    if (!thin) {
        for (const Patch& patch : patches)
            for (const Run& run : patch)
                for (int y = std::min(run.row1, run.row2); y <= std::max(run.row1, run.row2); ++y)
                    points.emplace_back(run.col, y);
    } else {
        cv::Mat mask = cv::Mat::zeros(imageHeight, imageWidth, CV_8UC1);
        for (const Patch& patch : patches)
            for (const Run& run : patch)
                for (int y = std::min(run.row1, run.row2); y <= std::max(run.row1, run.row2); ++y)
                    if (run.col >= 0 && run.col < imageWidth && y >= 0 && y < imageHeight)
                        mask.at<uchar>(y, run.col) = 1;
        result = ThinLinesReference(mask);
        PointList set;
        for (int y = 0; y < mask.rows; ++y)
            for (int x = 0; x < mask.cols; ++x)
                if (mask.at<uchar>(y, x)) set.emplace_back(x, y);
        std::sort(set.begin(), set.end(), byXThenY);
        for (size_t i = 0; i < set.size();) {
            size_t j = i + 1;
            double last = set[i].y;
            while (j < set.size() && set[j].x == set[i].x && set[j].y - last <= 1.0) last = set[j++].y;
            points.emplace_back(set[i].x, (set[i].y + last) * 0.5);
            i = j;
        }
    }
    std::sort(points.begin(), points.end(), byXThenY);
    columnMap.clear();
    for (const cv::Point2d& p : points) columnMap[static_cast<int>(p.x)].push_back(static_cast<int>(p.y));
    return result;
}

#include "reference/detect_reference.h"

#include "detect/axes.h"
#include "detect/grid.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <queue>
#include <tuple>

namespace ref {

void BinariseByChannels(cv::Mat& out, const cv::Mat& image, std::vector<double>& thresholds, int n) {
    std::vector<cv::Mat> planes;
    cv::split(image, planes);
    out = cv::Mat(image.rows, image.cols, CV_8UC1, cv::Scalar(255));
    for (int i = 0; i < n; ++i) {
        cv::Mat scratch;
        thresholds.push_back(cv::threshold(planes[i], scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU));
        cv::threshold(planes[i], planes[i], thresholds[i], 255, cv::THRESH_BINARY);
        cv::bitwise_and(out, planes[i], out);
    }
}

DetectionMap BuildDetectionMap(const cv::Mat& binary, const cv::Mat& image, const PlotArea& a) {
    DetectionMap map;
    for (int y = a.top; y < a.bottom; ++y)
        for (int x = a.left; x < a.right; ++x)
            if (binary.at<uchar>(y, x) == 0) {
                const cv::Vec3b p = image.at<cv::Vec3b>(y, x);
                map[{y, x}] = cv::Vec3b(p[2], p[1], p[0]);
            }
    return map;
}

namespace {
const std::array<cv::Vec3b, 6> kRefs = {cv::Vec3b(0, 128, 128),  cv::Vec3b(136, 208, 195),
                                        cv::Vec3b(224, 42, 211), cv::Vec3b(82, 207, 20),
                                        cv::Vec3b(154, 226, 67), cv::Vec3b(248, 106, 223)};
}

void DetectColours(cv::Mat& classImage, const cv::Mat& image, DetectionMap& map) {
    classImage = cv::Mat(image.rows, image.cols, CV_8UC3, cv::Scalar(255, 128, 128));
    if (map.empty()) return;
    cv::Mat copy = image.clone();
    cv::GaussianBlur(copy, copy, cv::Size(3, 3), 0, 0);
    cv::cvtColor(copy, copy, cv::COLOR_RGB2Lab);
    std::map<std::tuple<int, int, int>, cv::Vec3b> memo;
    for (auto& [key, value] : map) {
        const cv::Vec3b lab = copy.at<cv::Vec3b>(key.first, key.second);
        const auto memoKey = std::make_tuple(int(lab[0]), int(lab[1]), int(lab[2]));
        cv::Vec3b chosen;
        auto found = memo.find(memoKey);
        if (found != memo.end()) {
            chosen = found->second;
        } else {
            unsigned best = ~0u;
            for (const cv::Vec3b& r : kRefs) {
                const int dl = lab[0] - r[0], da = lab[1] - r[1], db = lab[2] - r[2];
                const unsigned d = 169u * unsigned(dl * dl) + 576u * unsigned(da * da) + 676u * unsigned(db * db);
                const bool smaller = std::make_tuple(r[0], r[1], r[2]) < std::make_tuple(chosen[0], chosen[1], chosen[2]);
                if (d < best || (d == best && smaller)) {
                    best = d;
                    chosen = r;
                }
            }
            memo[memoKey] = chosen;
        }
        classImage.at<cv::Vec3b>(key.first, key.second) = chosen;
        value = cv::Vec3b(chosen[2], chosen[1], chosen[0]);
    }
}

cv::Mat LabelsOf(const cv::Mat& classImage) {
    cv::Mat labels(classImage.size(), CV_8UC1);
    for (int y = 0; y < classImage.rows; ++y)
        for (int x = 0; x < classImage.cols; ++x) {
            const cv::Vec3b c = classImage.at<cv::Vec3b>(y, x);
            const auto at = std::find(kReferenceColours.begin(), kReferenceColours.end(), c);
            CV_Assert(at != kReferenceColours.end() || c == cv::Vec3b(255, 128, 128));
            labels.at<uchar>(y, x) = at == kReferenceColours.end() ? 0 : uchar(1 + (at - kReferenceColours.begin()));
        }
    return labels;
}

void GroupPatches(DetectionMap& map, PatchList& patches, int left, int top, int right, int bottom,
                  const cv::Mat& classImage, unsigned minPatchSize, const AbortQuestion& ask) {
    if (map.empty()) return;
    patches.clear();
    // Working image: the area with a one-pixel border of (0, 0, 0).
    cv::Mat w(bottom - top + 2, right - left + 2, CV_8UC3, cv::Scalar(0, 0, 0));
    classImage(cv::Rect(left, top, right - left, bottom - top)).copyTo(w(cv::Rect(1, 1, right - left, bottom - top)));
    const cv::Vec3b painted(255, 128, 128);
    // Pixel (y, x) of the image in the working image.
    auto at = [&](int y, int x) -> cv::Vec3b& { return w.at<cv::Vec3b>(y - top + 1, x - left + 1); };

    long steps = 0;
    bool asked = false;
    bool aborted = false;
    while (!map.empty() && !aborted) {
        const auto first = map.begin();
        const int y = first->first.first, x = first->first.second;
        const cv::Vec3b c(first->second[2], first->second[1], first->second[0]);
        if (at(y, x) != c) {  // could never be filled
            map.erase(first);
            continue;
        }
        Patch patch;
        std::queue<std::array<int, 3>> seeds;
        int sy = y;
        while (at(sy - 1, x) == c) --sy;
        seeds.push({sy, x, sy});
        while (!seeds.empty()) {
            const auto seed = seeds.front();
            seeds.pop();
            int row = seed[0];
            const int col = seed[1];
            if (at(row, col) != c) continue;
            while (at(row - 1, col) == c) --row;
            const int t = row;
            bool leftFlag = true, rightFlag = true;
            if (at(t - 1, col - 1) == c) {
                seeds.push({t - 1, col - 1, t - 1});
                leftFlag = false;
            }
            if (at(t - 1, col + 1) == c) {
                seeds.push({t - 1, col + 1, t - 1});
                rightFlag = false;
            }
            while (true) {
                ++steps;
                if (steps == 2000000 && !asked) {
                    if (ask && ask()) {
                        aborted = true;
                        break;
                    }
                    asked = true;
                }
                if (leftFlag && at(row, col - 1) == c) {
                    seeds.push({row, col - 1, row});
                    leftFlag = false;
                }
                if (!leftFlag && at(row, col - 1) != c) leftFlag = true;
                if (rightFlag && at(row, col + 1) == c) {
                    seeds.push({row, col + 1, row});
                    rightFlag = false;
                }
                if (!rightFlag && at(row, col + 1) != c) rightFlag = true;
                at(row, col) = painted;
                map.erase({row, col});
                if (at(row + 1, col) == c)
                    ++row;
                else
                    break;
            }
            if (aborted) break;
            patch.push_back({t, col, row});
            if (leftFlag && at(row + 1, col - 1) == c) seeds.push({row + 1, col - 1, row + 1});
            if (rightFlag && at(row + 1, col + 1) == c) seeds.push({row + 1, col + 1, row + 1});
        }
        if (aborted) map.clear();
        std::sort(patch.begin(), patch.end());
        long sum = 0;
        for (const Run& r : patch) sum += r.row2 - r.row1;
        if (!patch.empty() && (minPatchSize <= patch.size() || long(minPatchSize) <= sum)) patches.push_back(patch);
    }
}

bool RunProcessing(const cv::Mat& image, const ProcessSettings& s, const PlotArea& userRect,
                   std::vector<double>& thresholds, PatchList& patches, PlotArea& a, LogSink& log,
                   const AbortQuestion& ask, cv::Mat* binaryOut) {
    if (image.empty()) return false;
    log << "Performing detections...\n";
    cv::Mat binary;
    ref::BinariseByChannels(binary, image, thresholds, 3);
    log << "Detecting graph axis...\n";
    a = DetectAxes(binary.clone());
    if (userRect.left != -1 || userRect.top != -1 || userRect.right != -1 || userRect.bottom != -1)
        a = {userRect.left, userRect.top, std::min(userRect.right, image.cols), std::min(userRect.bottom, image.rows)};
    auto fixed = [&] {
        cv::Mat grey;
        cv::cvtColor(image, grey, cv::COLOR_RGB2GRAY);
        cv::threshold(grey, binary, s.threshold, 255, cv::THRESH_BINARY);
    };
    if (s.manualThreshold) {
        log << "Manual thresholding (" << s.threshold << ")...";
        fixed();
    } else {
        cv::Mat inverse;
        cv::bitwise_not(binary, inverse);
        const double ink = cv::countNonZero(inverse(cv::Rect(a.left, a.top, a.right - a.left, a.bottom - a.top)));
        if (ink / ((a.bottom - a.top) * double(a.right - a.left)) > 0.15) {
            log << "Overriding with manual threshold value (" << s.threshold << ")\n";
            fixed();
        }
    }
    if (s.removeGrid) {
        log << "Removing grid...\n";
        RemoveGrid(binary, true, a.left, a.top, a.right, a.bottom, s.gridWidth, log);
    }
    DetectionMap map = ref::BuildDetectionMap(binary, image, a);
    const unsigned n = static_cast<unsigned>(map.size());
    char percent[64];
    std::snprintf(percent, sizeof percent, " (%.1f%%)\n", float(n * 100u) / float((a.bottom - a.top) * (a.right - a.left)));
    log << "Number of detections (map): " << n << percent;
    log << "top left =" << a.left << "," << a.top << "; bottom right=" << a.right << "," << a.bottom << "\n";
    log << "Performing color detections\n";
    cv::Mat classImage;
    ref::DetectColours(classImage, image, map);
    if (binaryOut) *binaryOut = binary;
    log << "Grouping...\n";
    ref::GroupPatches(map, patches, a.left, a.top, a.right, a.bottom, classImage, s.minPatchSize, ask);
    return true;
}

}  // namespace ref

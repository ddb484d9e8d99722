#pragma once
// Deliberately plain versions of the detection kernels, written straight from
// their definitions (ordered maps, at<>() access, a 3-channel working image), to
// check the optimised code against on random inputs.
#include "base/log_sink.h"
#include "detect/grouping.h"
#include "detect/process.h"
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <map>
#include <utility>
#include <vector>

namespace ref {

// (row, column) -> colour in reverse channel order.
using DetectionMap = std::map<std::pair<int, int>, cv::Vec3b>;

void BinariseByChannels(cv::Mat& out, const cv::Mat& image, std::vector<double>& thresholds, int channels);

// The area must lie inside the images.
DetectionMap BuildDetectionMap(const cv::Mat& binary, const cv::Mat& image, const PlotArea& area);

void DetectColours(cv::Mat& classImage, const cv::Mat& image, DetectionMap& map);

// The labels the real pass keeps for a class image of reference colours: 0 for
// Lab white, 1 + the index of each reference colour (any other colour throws).
cv::Mat LabelsOf(const cv::Mat& classImage);

// The area must lie inside the class image and hold every map entry.
void GroupPatches(DetectionMap& map, PatchList& patches, int left, int top, int right, int bottom,
                  const cv::Mat& classImage, unsigned minPatchSize, const AbortQuestion& ask);

// The processing pass assembled from the plain pieces above (frame detection and
// grid removal are shared with the real pass).
bool RunProcessing(const cv::Mat& image, const ProcessSettings& settings, const PlotArea& userRect,
                   std::vector<double>& channelThresholds, PatchList& patches, PlotArea& plotArea, LogSink& log,
                   const AbortQuestion& ask, cv::Mat* binaryOut = nullptr);

}  // namespace ref

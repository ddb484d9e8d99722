#pragma once
// The toolkit-free body of a processing pass: from the document image to patches.
#include "base/log_sink.h"
#include "detect/grouping.h"
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <string>
#include <vector>

// The settings one pass reads.
struct ProcessSettings {
    bool manualThreshold = false;
    int threshold = 160;  // fixed grey level for manual mode and the ink override
    unsigned minPatchSize = 3;
    bool removeGrid = false;
    int gridWidth = 2;
    bool keepBinary = false;  // hand back the final binary image (else it is freed before the colour pass)
};

// Share of the plot area above which automatic binarisation is replaced by the fixed threshold.
inline constexpr double kMaxInkShare = 0.15;

// " (p%)\n" for `ink` map entries in the area: the count times 100 as an unsigned
// 32-bit number divided in single precision by the area's pixel count, one
// decimal. An area without pixels prints 0.0.
std::string DetectionPercentText(size_t ink, const PlotArea& area);

// What one pass produces.
struct ProcessResult {
    bool ran = false;                       // false: the image held no pixels (nothing was logged)
    PlotArea plotArea;                      // the area used
    std::vector<double> channelThresholds;  // this pass's three Otsu levels
    bool inkFound = false;                  // false: the area held no ink and `patches` is empty
    PatchList patches;                      // the grouping result, in grouping order
    cv::Mat binary;                         // the final binary image, with settings.keepBinary
};

// Binarises the image (8-bit red, green, blue; a one- or four-channel 8-bit
// picture is converted, any other type throws cv::Exception), finds the plot
// area, chooses the threshold, optionally removes the grid, classifies the ink
// and groups it into patches, logging each stage. userRect: the user's plot
// rectangle, all -1 when none is drawn; its right and bottom are cut to the image.
ProcessResult RunProcessing(const cv::Mat& image, const ProcessSettings& settings, const PlotArea& userRect,
                            LogSink& log, const AbortQuestion& ask);

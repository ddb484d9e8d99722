#pragma once
// The toolkit-free body of a processing pass: from the document image to patches.
#include "app/log_sink.h"
#include "detect/colour_classes.h"
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
    ColourClassing colourClassing = ColourClassing::FromPicture;
};

// Share of the plot area above which automatic binarisation is replaced by the fixed threshold.
inline constexpr double kMaxInkShare = 0.15;

// " (p%)\n" for `ink` map entries in the area: the count times 100 as an unsigned
// 32-bit number divided in single precision by the area's pixel count, one
// decimal. An area without pixels prints 0.0.
std::string DetectionPercentText(size_t ink, const PlotArea& area);

// Binarises the image (red, green, blue; other layouts are converted), finds the
// plot area, chooses the threshold, optionally removes the grid, classifies the
// ink and groups it into patches, logging each stage. Returns false, logging
// nothing, when the image holds no pixels.
// userRect: the user's plot rectangle, all -1 when none is drawn; its right and
// bottom are cut to the image. On return `plotArea` is the area used, `patches` the
// grouping result (unchanged when the area holds no ink), `channelThresholds` has
// this pass's three Otsu levels appended, and *binaryOut (if given) the final
// binary image, and *inkOut (if given) the colour classes and each ink pixel's class.
bool RunProcessing(const cv::Mat& image, const ProcessSettings& settings, const PlotArea& userRect,
                   std::vector<double>& channelThresholds, PatchList& patches, PlotArea& plotArea, LogSink& log,
                   const AbortQuestion& ask, cv::Mat* binaryOut = nullptr, ClassedInk* inkOut = nullptr);

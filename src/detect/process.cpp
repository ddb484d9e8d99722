#include "detect/process.h"

#include "app/numbers.h"
#include "detect/axes.h"
#include "detect/binarise.h"
#include "detect/colour.h"
#include "detect/grid.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdint>

namespace {

// The pipeline works on 8-bit red-green-blue pictures.
cv::Mat AsRgb8(const cv::Mat& image) {
    cv::Mat out = image;
    if (out.depth() != CV_8U) out.convertTo(out, CV_8U);
    if (out.channels() == 1)
        cv::cvtColor(out, out, cv::COLOR_GRAY2RGB);
    else if (out.channels() == 4)
        cv::cvtColor(out, out, cv::COLOR_RGBA2RGB);
    return out;
}

// Ink pixels of the area; its parts outside the image hold none.
double InkShare(const cv::Mat& binary, const PlotArea& a) {
    const long long width = a.right - a.left, height = a.bottom - a.top;
    if (width <= 0 || height <= 0) return 0;
    const cv::Rect inside = cv::Rect(a.left, a.top, int(width), int(height)) & cv::Rect(0, 0, binary.cols, binary.rows);
    const long long ink = inside.empty() ? 0 : inside.area() - cv::countNonZero(binary(inside));
    return double(ink) / double(height * width);
}

}  // namespace

std::string DetectionPercentText(size_t ink, const PlotArea& area) {
    const long long width = area.right - area.left, height = area.bottom - area.top;
    float percent = 0.0f;
    if (width > 0 && height > 0) {
        const uint32_t scaled = static_cast<uint32_t>(ink) * 100u;
        percent = static_cast<float>(scaled) / static_cast<float>(height * width);
    }
    return FormatDouble(" (%.1f%%)\n", percent);
}

bool RunProcessing(const cv::Mat& input, const ProcessSettings& settings, const PlotArea& userRect,
                   std::vector<double>& channelThresholds, PatchList& patches, PlotArea& plotArea, LogSink& log,
                   const AbortQuestion& ask, cv::Mat* binaryOut, ClassedInk* inkOut) {
    if (input.empty() || input.total() == 0) return false;
    const cv::Mat image = AsRgb8(input);
    const PlotArea drawn = userRect;  // the caller may pass one object as both rectangles

    log << "Performing detections...\n";
    cv::Mat binary;
    BinariseByChannels(binary, image, channelThresholds, 3);

    log << "Detecting graph axis...\n";
    plotArea = DetectAxes(binary);
    if (drawn.left != -1 || drawn.top != -1 || drawn.right != -1 || drawn.bottom != -1)
        plotArea = {drawn.left, drawn.top, std::min(drawn.right, image.cols), std::min(drawn.bottom, image.rows)};
    const PlotArea& a = plotArea;

    if (settings.manualThreshold) {
        log << "Manual thresholding (" << settings.threshold << ")...";
        BinariseByGrey(binary, image, settings.threshold);
    } else if (InkShare(binary, a) > kMaxInkShare) {
        log << "Overriding with manual threshold value (" << settings.threshold << ")\n";
        BinariseByGrey(binary, image, settings.threshold);
    }

    if (settings.removeGrid) {
        log << "Removing grid...\n";
        RemoveGrid(binary, true, a.left, a.top, a.right, a.bottom, settings.gridWidth, log);
    }

    DetectionMap map = BuildDetectionMap(binary, image, a);
    log << "Number of detections (map): " << DetectionMapSize(map) << DetectionPercentText(map.size(), a);
    log << "top left =" << a.left << "," << a.top << "; bottom right=" << a.right << "," << a.bottom << "\n";
    // The binary image is done with; let it go before the colour pass's peak.
    if (binaryOut) *binaryOut = binary;
    binary.release();

    log << "Performing color detections\n";
    cv::Mat classImage;
    ClassColours(classImage, image, map, a, settings.colourClassing, inkOut, log);

    log << "Grouping...\n";
    GroupPatches(map, patches, a.left, a.top, a.right, a.bottom, classImage, settings.minPatchSize, ask);
    return true;
}

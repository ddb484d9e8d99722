#include "detect/process.h"

#include "base/numbers.h"
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
    CV_CheckDepthEQ(image.depth(), CV_8U, "processing takes an 8-bit picture");
    CV_Check(image.channels(), image.channels() == 1 || image.channels() == 3 || image.channels() == 4,
             "processing takes a grey, RGB or RGBA picture");
    cv::Mat out = image;
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

ProcessResult RunProcessing(const cv::Mat& input, const ProcessSettings& settings, const PlotArea& userRect,
                            LogSink& log, const AbortQuestion& ask) {
    ProcessResult result;
    if (input.empty() || input.total() == 0) return result;
    const cv::Mat image = AsRgb8(input);
    result.ran = true;

    log << "Performing detections...\n";
    cv::Mat& binary = result.binary;
    BinariseByChannels(binary, image, result.channelThresholds, 3);

    log << "Detecting graph axis...\n";
    PlotArea& a = result.plotArea;
    a = DetectAxes(binary);
    if (userRect.left != -1 || userRect.top != -1 || userRect.right != -1 || userRect.bottom != -1)
        a = {userRect.left, userRect.top, std::min(userRect.right, image.cols), std::min(userRect.bottom, image.rows)};

    if (settings.manualThreshold) {
        log << "Manual thresholding (" << settings.threshold << ")...";
        BinariseByGrey(binary, image, settings.threshold);
    } else if (InkShare(binary, a) > kMaxInkShare) {
        log << "Overriding with manual threshold value (" << settings.threshold << ")\n";
        BinariseByGrey(binary, image, settings.threshold);
    } else if (settings.colourClassing == ColourClassing::FromPicture) {
        AddFaintInk(binary, image, a);
    }

    if (settings.removeGrid) {
        log << "Removing grid...\n";
        RemoveGrid(binary, true, a.left, a.top, a.right, a.bottom, settings.gridWidth, log);
    }

    DetectionMap map = BuildDetectionMap(binary, image, a);
    log << "Number of detections (map): " << DetectionMapSize(map) << DetectionPercentText(map.size(), a);
    log << "top left =" << a.left << "," << a.top << "; bottom right=" << a.right << "," << a.bottom << "\n";

    // The binary image is done with; let it go before the colour pass's peak.
    if (!settings.keepBinary) binary.release();

    log << "Performing color detections\n";
    ClassColours(image, map, a, settings.colourClassing, result.ink, log);

    log << "Grouping...\n";
    result.inkFound = !map.empty();
    GroupPatches(map, result.patches, a.left, a.top, a.right, a.bottom, result.ink.labels, settings.minPatchSize,
                 ask);
    return result;
}

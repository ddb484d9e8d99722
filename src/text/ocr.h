#pragma once
// Reading a marked area of the picture into text labels: preparing the area for
// the recognition engine, driving the engine (retry, numeric rerun, turned
// passes), judging its answers by confidence and placing the labels.
#include <opencv2/core.hpp>

#include <functional>
#include <string>
#include <vector>

#include "base/log_sink.h"
#include "text/label.h"

// The outside character-recognition component. A failure of the engine is
// reported by throwing an int.
class OcrEngine {
public:
    virtual ~OcrEngine() = default;
    // 6: a uniform block of text; 10: a single character.
    virtual void SetSegmentationMode(int mode) = 0;
    // Limits what the engine may read to these characters (UTF-8); empty lifts the limit.
    virtual void SetCharacterSet(const std::string& characters) {}
    // Reads `prepared` (8-bit, one channel). Components come with rectangles in
    // the coordinates of `prepared` and confidences from 0 to 100; the three
    // lists run in parallel. `level` 1 is the coarser split used for normal
    // passes, 0 the finer one used for the retry and the numeric rerun, 2 one
    // component per character.
    virtual void Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                           std::vector<std::string>& texts, std::vector<float>& confidences, int level) = 0;
};

// How much the area is enlarged before recognition, in both directions.
inline constexpr int kOcrScale = 8;
// Bounds on the enlarged image: the engine refuses images past 32767 pixels a
// side, and 8 times a large area would take gigabytes.
inline constexpr int kOcrMaxPreparedSide = 16384;
inline constexpr long long kOcrMaxPreparedPixels = 64LL * 1024 * 1024;
// A mean component confidence at least this high accepts the upright reading.
inline constexpr double kOcrAcceptConfidence = 70.0;
// Characters a number can be written with; a component made only of these
// triggers the finer numeric rerun.
inline constexpr const char* kOcrNumericWhitelist = "0123456789 .oO-+eE,\n";

// The enlargement for an area of this size: kOcrScale, or the largest smaller
// factor (at least 1) that keeps the enlarged image within the bounds above.
int OcrScaleFor(const cv::Size& area);

// Cuts `area` (clipped to the image) from the 3-channel image, enlarges it by
// OcrScaleFor (8 for any usual area) with bicubic interpolation and keeps as 255 only the pixels brighter
// than their channel's level in every channel (0 elsewhere). Channels without a
// level in `thresholds` are not used. Empty when the clipped area is empty.
cv::Mat PrepareOcrImage(const cv::Mat& image, const cv::Rect& area, const std::vector<double>& thresholds);

// True when the text starts with a number (leading blanks skipped, the rest ignored).
bool IsNumericText(const std::string& text);

// Runs the whole recognition of one area: `prepared` comes from PrepareOcrImage
// for `area` (image pixels, inside the image). Writes the progress lines to `log`, calls
// `onEngineError` each time the engine throws (the operation then goes on with
// whatever that call left) and returns the new labels, of kind Text, in order.
std::vector<TextLabel> RunOcr(OcrEngine& engine, const cv::Mat& prepared, const cv::Rect& area, LogSink& log,
                              const std::function<void()>& onEngineError);

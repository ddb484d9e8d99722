#include "text/ocr.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>

#include "base/numbers.h"

namespace {
// What one recognition call gave back.
struct Answer {
    std::string fullText;
    std::vector<cv::Rect> rects;
    std::vector<std::string> texts;
    std::vector<float> confidences;
    int orientation = 0;
};

// The ways the area is turned for the turned passes; transposing comes first.
struct Orientation {
    int flipCode;
    bool flip;
    bool transpose;
};
constexpr std::array<Orientation, 3> kOrientations = {{
    {0, false, false},  // upright
    {1, true, true},    // a quarter turn clockwise
    {0, true, true},    // a quarter turn counter-clockwise
}};

const char* const kWhitespace = " \t\f\v\n\r";

// One engine call; the component lists start empty. Returns false when the
// engine threw, after reporting it; the answer keeps whatever the call left.
bool Recognise(OcrEngine& engine, const cv::Mat& image, int mode, int level, Answer& answer,
               const std::function<void()>& onEngineError) {
    answer.rects.clear();
    answer.texts.clear();
    answer.confidences.clear();
    try {
        engine.SetSegmentationMode(mode);
        engine.Recognise(image, answer.fullText, answer.rects, answer.texts, answer.confidences, level);
    } catch (int) {
        if (onEngineError) onEngineError();
        return false;
    }
    return true;
}

// The upright judgement: numbers always count; other texts count only when
// their last visible character is past the second, which discounts the short
// specks an engine reads into lines and dots.
double UprightMean(const Answer& a) {
    double sum = 0;
    for (size_t i = 0; i < a.confidences.size(); ++i) {
        const std::string& text = i < a.texts.size() ? a.texts[i] : std::string();
        const size_t last = text.find_last_not_of(kWhitespace);
        if (IsNumericText(text) || last == std::string::npos || last >= 2) sum += a.confidences[i];
    }
    return sum / double(a.confidences.size());
}

double PlainMean(const std::vector<float>& confidences) {
    if (confidences.empty()) return 0.0;
    double sum = 0;
    for (float c : confidences) sum += c;
    return sum / double(confidences.size());
}

bool OnlyWhitelisted(const std::string& text) {
    return text.find_first_not_of(kOcrNumericWhitelist) == std::string::npos;
}
}  // namespace

int OcrScaleFor(const cv::Size& area) {
    const long long longer = std::max(area.width, area.height);
    const long long pixels = (long long)area.width * area.height;
    int scale = kOcrScale;
    while (scale > 1 && (scale * longer > kOcrMaxPreparedSide || scale * scale * pixels > kOcrMaxPreparedPixels))
        --scale;
    return scale;
}

cv::Mat PrepareOcrImage(const cv::Mat& image, const cv::Rect& area, const std::vector<double>& thresholds) {
    const cv::Rect clipped = area & cv::Rect(0, 0, image.cols, image.rows);
    if (clipped.empty()) return cv::Mat();
    const int scale = OcrScaleFor(clipped.size());
    cv::Mat enlarged;
    cv::resize(image(clipped), enlarged, cv::Size(), scale, scale, cv::INTER_CUBIC);
    std::vector<cv::Mat> planes;
    cv::split(enlarged, planes);
    cv::Mat out(enlarged.size(), CV_8UC1, cv::Scalar(255));
    const size_t used = std::min(planes.size(), thresholds.size());
    for (size_t i = 0; i < used; ++i) {
        cv::threshold(planes[i], planes[i], thresholds[i], 255, cv::THRESH_BINARY);
        cv::bitwise_and(out, planes[i], out);
    }
    return out;
}

bool IsNumericText(const std::string& text) { return ParseLeadingNumber(text).has_value(); }

std::vector<TextLabel> RunOcr(OcrEngine& engine, const cv::Mat& prepared, const cv::Rect& area, LogSink& log,
                              const std::function<void()>& onEngineError) {
    Answer answer;
    // Upright pass; an empty reading gets one more try as a single character.
    if (Recognise(engine, prepared, 6, 1, answer, onEngineError) && answer.fullText.empty())
        Recognise(engine, prepared, 10, 0, answer, onEngineError);

    const bool accepted = !answer.confidences.empty() && UprightMean(answer) >= kOcrAcceptConfidence;
    if (accepted) {
        // Numbers read better at the finer level. An engine failure here keeps
        // the accepted reading rather than throwing it away.
        for (const std::string& text : answer.texts) {
            if (!OnlyWhitelisted(text)) continue;
            Answer rerun;
            if (Recognise(engine, prepared, 6, 0, rerun, onEngineError)) answer = std::move(rerun);
            break;
        }
        answer.orientation = 0;
    } else {
        // The text may run vertically: read the area in every orientation and
        // keep the most confident reading (the earlier one on a tie).
        Answer best;
        double bestMean = 0;
        for (size_t index = 0; index < kOrientations.size(); ++index) {
            const Orientation& o = kOrientations[index];
            // The engine only reads its image, so the upright entry needs no copy.
            cv::Mat turned = prepared;
            if (o.transpose) cv::transpose(prepared, turned);
            if (o.flip) {
                cv::Mat flipped;  // never in place: `turned` may still share the prepared pixels
                cv::flip(turned, flipped, o.flipCode);
                turned = flipped;
            }
            Answer candidate;
            Recognise(engine, turned, 6, 1, candidate, onEngineError);
            candidate.orientation = int(index);
            const double mean = PlainMean(candidate.confidences);
            if (index == 0 || mean > bestMean) {
                best = std::move(candidate);
                bestMean = mean;
            }
        }
        answer = std::move(best);
        if (answer.texts.empty()) log << "Empty area for OCR\n";
    }

    log << "OCR result:\n";
    const int scale = OcrScaleFor(area.size());
    std::vector<TextLabel> labels;
    for (size_t i = 0; i < answer.rects.size(); ++i) {
        const cv::Rect& r = answer.rects[i];
        const int cx = r.x / scale, cy = r.y / scale, cw = r.width / scale, ch = r.height / scale;
        std::string text = i < answer.texts.size() ? answer.texts[i] : std::string();
        text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
        if (text.find_first_not_of(' ') == std::string::npos) continue;

        TextLabel label;
        switch (answer.orientation) {
        case 1:  // read turned clockwise: the text runs bottom to top
            label.left = area.x + cy;
            label.top = area.y + area.height - cx - cw;
            break;
        case 2:  // read turned counter-clockwise: the text runs top to bottom
            label.left = area.x + area.width - cy - ch;
            label.top = area.y + cx;
            break;
        default:
            label.left = area.x + cx;
            label.top = area.y + cy;
            break;
        }
        // Extent as measured in the reading's own orientation; the canvas turns it.
        label.width = cw;
        label.height = ch;
        label.orientation = answer.orientation;
        label.text = text;
        label.kind = LABEL_TEXT;
        label.selected = false;
        labels.push_back(label);
        log << text << "\n";
    }
    return labels;
}

// Calibration from tick labels on a 6-megapixel chart (3000 x 2000, a frame,
// ticks every 300 px and a number beside each): the whole run, and beside it the
// part spent inside the recognition engine, which no implementation avoids.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "text/tesseract_engine.h"
#include "text/tick_calibrate.h"

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Passes every call on and adds up the time spent in recognition.
class TimedEngine : public OcrEngine {
public:
    explicit TimedEngine(OcrEngine& inner) : inner_(inner) {}
    void SetSegmentationMode(int mode) override { inner_.SetSegmentationMode(mode); }
    void SetCharacterSet(const std::string& characters) override { inner_.SetCharacterSet(characters); }
    void Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                   std::vector<std::string>& texts, std::vector<float>& confidences, int level) override {
        const auto t0 = Clock::now();
        inner_.Recognise(prepared, fullText, rects, texts, confidences, level);
        inside += Clock::now() - t0;
        ++calls;
    }
    Clock::duration inside{};
    int calls = 0;

private:
    OcrEngine& inner_;
};

cv::Mat Chart() {
    cv::Mat rgb(2000, 3000, CV_8UC3, cv::Scalar(255, 255, 255));
    const cv::Scalar black(0, 0, 0);
    cv::rectangle(rgb, cv::Point(300, 100), cv::Point(2900, 1700), black, 3);
    for (int k = 0; k <= 8; ++k) {
        const int x = 350 + 300 * k;
        cv::line(rgb, cv::Point(x, 1702), cv::Point(x, 1720), black, 3);
        const std::string text = std::to_string(10 * k);
        const cv::Size size = cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, 1.6, 3, nullptr);
        cv::putText(rgb, text, cv::Point(x - size.width / 2, 1740 + size.height), cv::FONT_HERSHEY_SIMPLEX, 1.6, black, 3,
                    cv::LINE_AA);
    }
    for (int k = 0; k <= 5; ++k) {
        const int y = 1650 - 300 * k;
        cv::line(rgb, cv::Point(280, y), cv::Point(298, y), black, 3);
        const std::string text = std::to_string(200 * k);
        const cv::Size size = cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, 1.6, 3, nullptr);
        cv::putText(rgb, text, cv::Point(260 - size.width, y + size.height / 2), cv::FONT_HERSHEY_SIMPLEX, 1.6, black, 3,
                    cv::LINE_AA);
    }
    cv::line(rgb, cv::Point(300, 1500), cv::Point(2900, 300), cv::Scalar(255, 0, 0), 4, cv::LINE_AA);
    return rgb;
}
}  // namespace

int main() {
    const auto engine = TesseractEngine::Create();
    if (!engine) {
        std::puts("bench_tick_labels: Tesseract with English data is not available");
        return 1;
    }
    const cv::Mat rgb = Chart();
    const PlotArea area{303, 103, 2898, 1698};
    constexpr int kRuns = 5;
    double total = 0, inside = 0;
    int calls = 0;
    LabelCalibration found;
    for (int run = 0; run < kRuns; ++run) {
        TimedEngine timed(*engine);
        const auto t0 = Clock::now();
        found = CalibrateFromTickLabels(rgb, area, timed);
        total += Ms(Clock::now() - t0);
        inside += Ms(timed.inside);
        calls = timed.calls;
    }
    std::printf("%s%s", found.x.logLine.c_str(), found.y.logLine.c_str());
    std::printf("calibration from tick labels, 3000x2000: %7.1f ms per run, of which %7.1f ms in %d engine calls, "
                "%5.1f ms our own\n",
                total / kRuns, inside / kRuns, calls, (total - inside) / kRuns);
    return found.x.calibrated && found.y.calibrated ? 0 : 1;
}

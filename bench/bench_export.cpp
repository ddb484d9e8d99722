// Export timing: PrepareExport + BuildCsvText of four graphs of 5,000 pixels
// each, thinning on and off, with and without the common X axis; and ThinLines
// against the plain reference on a whole-image mask.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "output/csv_writer.h"
#include "output/series.h"
#include "reference/thinning_reference.h"

namespace {

constexpr int kWidth = 2500, kHeight = 1000, kGraphs = 4;

// A smooth curve two pixels thick across every column: 5,000 pixels, cut into
// five patches as grouping would leave a curve crossed by grid gaps.
PatchList MakeGraph(int g) {
    PatchList patches(5);
    double y = 200 + 150 * g;
    for (int c = 0; c < kWidth; ++c) {
        const double target = 200 + 150 * g + 120 * std::sin(c * (0.004 + 0.001 * g) + g);
        y += std::clamp(target - y, -1.0, 1.0);  // keeps neighbouring columns touching
        const int row = static_cast<int>(std::lround(y));
        patches[c * 5 / kWidth].push_back(Run{row, c, row + 1});
    }
    return patches;
}

struct Yes : ExportQuestions {
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string&, const std::string&) override {}
};

template <class F>
double MedianMs(int reps, F f) {
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main() {
    std::vector<PatchList> graphs;
    for (int g = 0; g < kGraphs; ++g) graphs.push_back(MakeGraph(g));
    const Calibration cal{0, 100, 10, 2100, 0, 900, 1, 100};

    std::printf("export of %d graphs, image %dx%d, median of 15 runs\n", kGraphs, kWidth, kHeight);
    for (bool thin : {false, true}) {
        for (bool commonX : {true, false}) {
            ExportSettings s;
            s.thin = thin;
            s.commonX = commonX;
            s.imageHeight = kHeight;
            s.imageWidth = kWidth;
            Yes yes;
            size_t points = 0, bytes = 0;
            const double ms = MedianMs(15, [&] {
                const auto table = PrepareExport(graphs, cal, s, yes, nullptr);
                const std::string text = BuildCsvText(*table, {});
                points = 0;
                for (const PointList& p : table->graphs) points += p.size();
                bytes = text.size();
            });
            std::printf("  thin %-3s common X %-3s  %6zu points  %7zu bytes  %8.2f ms\n", thin ? "on" : "off",
                        commonX ? "on" : "off", points, bytes, ms);
        }
    }

    // Thinning one thick curve in a full-size mask, as the thinning worker does per patch.
    cv::Mat mask = cv::Mat::zeros(kHeight, kWidth, CV_8UC1);
    std::vector<cv::Point> curve;
    for (int c = 0; c < kWidth; c += 10) curve.emplace_back(c, static_cast<int>(500 + 300 * std::sin(c * 0.005)));
    cv::polylines(mask, curve, false, cv::Scalar(1), 5, cv::LINE_8);
    int passes = 0, refPasses = 0;
    const double fast = MedianMs(5, [&] {
        cv::Mat m = mask.clone();
        passes = ThinLines(m);
    });
    const double plain = MedianMs(1, [&] {
        cv::Mat m = mask.clone();
        refPasses = ThinLinesReference(m);
    });
    std::printf("ThinLines on a %dx%d mask, %d ink pixels: %.2f ms (%d passes); plain reference %.1f ms (%d passes)\n",
                kWidth, kHeight, cv::countNonZero(mask), fast, passes, plain, refPasses);
    return 0;
}

// Preparing a marked area for text recognition: cut, enlarge (8x for usual
// areas), threshold per channel. Prints the time per area and the size of the
// prepared image for an axis number, a title, a legend box and two areas large
// enough to be enlarged less.
#include <chrono>
#include <cstdio>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "detect/binarise.h"
#include "text/ocr.h"

int main() {
    cv::Mat image(3000, 4000, CV_8UC3, cv::Scalar(250, 250, 250));
    cv::RNG rng(7);
    for (int i = 0; i < 4000; ++i)
        cv::putText(image, std::to_string(rng.uniform(0, 1000)), {rng.uniform(0, 3900), rng.uniform(20, 3000)},
                    cv::FONT_HERSHEY_SIMPLEX, 0.6, cv::Scalar(rng.uniform(0, 80), 0, 0), 1, cv::LINE_AA);
    std::vector<double> levels;
    cv::Mat unused;
    BinariseByChannels(unused, image, levels, 3);

    const struct {
        const char* name;
        cv::Rect area;
    } cases[] = {
        {"axis number 40x18", {100, 100, 40, 18}},
        {"title 300x30", {200, 200, 300, 30}},
        {"legend 200x120", {500, 500, 200, 120}},
        {"half the picture 2000x1500", {0, 0, 2000, 1500}},
        {"whole picture 4000x3000", {0, 0, 4000, 3000}},
    };
    for (const auto& c : cases) {
        const int reps = c.area.area() > 100000 ? 3 : 50;
        cv::Mat prepared;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < reps; ++i) prepared = PrepareOcrImage(image, c.area, levels);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / reps;
        std::printf("%-28s scale %d  prepared %6dx%-6d %7.1f MB  %8.2f ms\n", c.name, OcrScaleFor(c.area.size()),
                    prepared.cols, prepared.rows, prepared.total() / 1e6, ms);
    }
    return 0;
}

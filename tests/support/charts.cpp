#include "support/charts.h"

#include <opencv2/imgproc.hpp>
#include <cmath>
#include <random>

cv::Mat MakeChart(const ChartSpec& spec) {
    cv::Mat img(spec.height, spec.width, CV_8UC3, cv::Scalar(255, 255, 255));
    std::mt19937 rng(spec.seed);
    const int mx = std::max(8, spec.width / 10), my = std::max(8, spec.height / 10);
    const cv::Rect plot(mx, my, std::max(1, spec.width - 2 * mx), std::max(1, spec.height - 2 * my));
    if (spec.grid && spec.gridStep > 0) {
        for (int x = plot.x + spec.gridStep; x < plot.x + plot.width; x += spec.gridStep)
            cv::line(img, {x, plot.y}, {x, plot.y + plot.height - 1}, cv::Scalar(200, 200, 200), spec.gridThickness);
        for (int y = plot.y + spec.gridStep; y < plot.y + plot.height; y += spec.gridStep)
            cv::line(img, {plot.x, y}, {plot.x + plot.width - 1, y}, cv::Scalar(200, 200, 200), spec.gridThickness);
    }
    if (spec.frame)
        cv::rectangle(img, plot, cv::Scalar(0, 0, 0), spec.frameThickness);
    static const cv::Scalar colours[] = {{230, 20, 20}, {20, 20, 230}, {20, 160, 20},
                                         {200, 0, 200}, {0, 0, 0}, {240, 220, 0}};
    std::uniform_real_distribution<double> phase(0, 6.28), amp(0.15, 0.4);
    for (int c = 0; c < spec.curves; ++c) {
        const double ph = phase(rng), a = amp(rng), f = 1.0 + c * 0.7;
        std::vector<cv::Point> pts;
        for (int x = plot.x + spec.curveMargin; x < plot.x + plot.width - spec.curveMargin; x += 2) {
            double t = double(x - plot.x) / plot.width;
            int y = plot.y + int(plot.height * (0.5 + a * std::sin(f * 6.28 * t + ph)));
            pts.emplace_back(x, y);
        }
        if (pts.size() >= 2)
            cv::polylines(img, pts, false, colours[c % 6], spec.curveThickness, cv::LINE_8);
    }
    const int k = std::max(1, spec.blobScale);
    std::uniform_int_distribution<int> bx(0, std::max(0, spec.width - 12 * k)), by(0, std::max(0, spec.height - 10 * k));
    const cv::Rect keepOff(plot.x - 12 * k, plot.y - 10 * k, plot.width + 24 * k, plot.height + 20 * k);
    for (int i = 0; i < spec.textBlobs; ++i) {
        int x = bx(rng), y = by(rng);
        for (int tries = 0; spec.blobsOutside && keepOff.contains({x, y}) && tries < 100; ++tries) x = bx(rng), y = by(rng);
        cv::rectangle(img, cv::Rect(x, y, k * (3 + int(rng() % 6)), k * (4 + int(rng() % 5))), cv::Scalar(30, 30, 30),
                      cv::FILLED);
    }
    return img;
}

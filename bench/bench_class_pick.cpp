// A Shift+click where the colour class holds several curves: following the clicked
// curve (AlongCurve) against the roles every whole-curve pick works out first
// (ClassifyPatches), on the same pieces in one run. Two solid lines and a dashed
// curve of one class across 4000 columns, among 0 to 40,000 stray pieces; then a
// picture of pure noise, whose roles once took minutes, against its processing.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>

#include "base/log_sink.h"
#include "detect/annotation.h"
#include "detect/class_pick.h"
#include "detect/process.h"

namespace {

template <class F>
double Ms(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

Patch Piece(int x0, int x1, int top, int t) {
    Patch p;
    for (int x = x0; x <= x1; ++x) p.push_back({top, x, top + t - 1});
    return p;
}

}  // namespace

int main() {
    std::printf("stray pieces  roles (every pick)  follow the solid  follow the dashed  dashes taken\n");
    for (int strays : {0, 4000, 40000}) {
        PatchList pieces = {Piece(0, 3999, 100, 3), Piece(0, 3999, 2000, 3)};
        std::mt19937 rng(1);
        for (int i = 0; i < strays; ++i) {
            const int x = int(rng() % 3990), y = int(rng() % 2990);
            pieces.push_back(Piece(x, x + int(rng() % 6), y, 2));
        }
        const size_t firstDash = pieces.size();
        for (int x = 0; x < 3990; x += 8) pieces.push_back(Piece(x, x + 4, int(1000 + 50 * std::sin(x / 300.0)), 2));
        const std::vector<bool> all(pieces.size(), true);
        const std::vector<int> classes(pieces.size(), 0);
        std::vector<bool> solid, dashed;
        const double roles = Ms([&] { ClassifyPatches(pieces, classes, {}, {0, 0, 4000, 3000}); });
        const double tSolid = Ms([&] { solid = AlongCurve(pieces, all, {0}); });
        const double tDashed = Ms([&] { dashed = AlongCurve(pieces, all, {firstDash + 100}); });
        size_t taken = 0;
        for (size_t i = firstDash; i < pieces.size(); ++i) taken += dashed[i];
        std::printf("%12d  %15.1f ms  %13.1f ms  %14.1f ms  %5zu of %zu\n", strays, roles, tSolid, tDashed, taken,
                    pieces.size() - firstDash);
    }
    cv::Mat noise(1500, 2000, CV_8UC3);
    cv::randu(noise, 0, 256);
    NullLog quiet;
    ProcessResult r;
    const double process = Ms([&] { r = RunProcessing(noise, ProcessSettings(), {0, 0, 2000, 1500}, quiet, AbortQuestion()); });
    const std::vector<int> classes = PatchClasses(r.ink, r.patches);
    const double roles = Ms([&] { CurvePatches(noise, r.patches, classes, r.plotArea); });
    std::printf("noise 2000 x 1500: %zu patches, processing %.0f ms, roles %.0f ms\n", r.patches.size(), process, roles);
}

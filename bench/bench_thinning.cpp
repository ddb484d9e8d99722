// Thinning solid patches (a filled square with a blank one-pixel frame), where the
// work is largest: ThinLines against the plain reference, same masks, one run.
// The reference takes minutes at 3000 x 3000; it runs there only with --all.
#include <chrono>
#include <cstdio>
#include <cstring>

#include <opencv2/core.hpp>

#include "reference/thinning_reference.h"

namespace {

template <class F>
double Seconds(F f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

cv::Mat SolidPatch(int side) {
    cv::Mat m = cv::Mat::zeros(side, side, CV_8UC1);
    m(cv::Rect(1, 1, side - 2, side - 2)).setTo(1);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    const bool all = argc > 1 && std::strcmp(argv[1], "--all") == 0;
    std::printf("solid patch      ThinLines            plain reference      same result\n");
    for (int side : {800, 1600, 3000}) {
        const cv::Mat patch = SolidPatch(side);
        cv::Mat fast = patch.clone();
        int passes = 0;
        const double tFast = Seconds([&] { passes = ThinLines(fast); });
        std::printf("%4d x %-4d  %8.3f s (%4d passes)", side, side, tFast, passes);
        if (side > 1600 && !all) {
            std::printf("   (skipped; --all runs it)\n");
            continue;
        }
        cv::Mat plain = patch.clone();
        int refPasses = 0;
        const double tPlain = Seconds([&] { refPasses = ThinLinesReference(plain); });
        const bool same = passes == refPasses && cv::countNonZero(fast != plain) == 0;
        std::printf("   %8.3f s (%4d passes)   %s\n", tPlain, refPasses, same ? "yes" : "NO");
    }
    return 0;
}

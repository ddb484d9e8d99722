// Processing-pass benchmark on synthetic charts of 1, 4 and 12 megapixels.
// Per stage it prints our time, the plain reference's time and the time of the
// bare OpenCV calls the pass cannot avoid; then the share of the whole pass spent
// outside those calls, the speed-up of map + colours + grouping over the
// reference, and the pass's peak memory measured in a child process.
// Times are the best of several runs, in milliseconds.
#include "detect/axes.h"
#include "detect/binarise.h"
#include "detect/colour.h"
#include "detect/grouping.h"
#include "detect/process.h"
#include "reference/detect_reference.h"
#include "support/charts.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Best of `repeats` runs of `body`; `prepare` (untimed) runs before each.
double BestMs(int repeats, const std::function<void()>& body, const std::function<void()>& prepare = {}) {
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        if (prepare) prepare();
        const auto start = Clock::now();
        body();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

ChartSpec BenchChart(int width, int height) {
    // Line widths, grid spacing and label blobs grow with the picture, as in a
    // scan of the same chart at a higher resolution.
    const int scale = std::max(1, width / 640);
    ChartSpec spec;
    spec.width = width;
    spec.height = height;
    spec.gridStep = 40 * scale;
    spec.gridThickness = std::max(1, scale / 3);
    spec.frameThickness = 2 + scale / 3;
    spec.curves = 6;
    spec.curveThickness = 2 * scale;
    spec.textBlobs = 60 * scale;
    spec.blobScale = scale;
    spec.blobsOutside = true;  // tick labels sit outside the frame
    spec.curveMargin = spec.curveThickness + 8;
    spec.seed = 7;
    return spec;
}

long CurrentRssKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Runs one whole pass in a child process and returns the growth of its peak
// resident memory over its resident memory just before the pass, in kB. Called
// before the parent allocates anything large, so the child cannot reuse memory
// the parent had freed.
long PeakPassMemoryKb(const cv::Mat (*make)(const ChartSpec&), const ChartSpec& spec) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const cv::Mat image = make(spec);
        const long before = CurrentRssKb();
        std::vector<double> levels;
        PatchList patches;
        PlotArea area;
        NullLog log;
        patches = RunProcessing(image, {}, {-1, -1, -1, -1}, log, [] { return false; }).patches;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const long grown = usage.ru_maxrss - before;
        if (write(fds[1], &grown, sizeof grown) != sizeof grown) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    long grown = -1;
    if (read(fds[0], &grown, sizeof grown) != sizeof grown) grown = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return grown;
}

void Row(const char* stage, double ours, double reference, double bare) {
    auto cell = [](double v) {
        char buf[32];
        if (v < 0)
            std::snprintf(buf, sizeof buf, "%10s", "-");
        else
            std::snprintf(buf, sizeof buf, "%10.1f", v);
        return std::string(buf);
    };
    std::printf("  %-34s%s%s%s\n", stage, cell(ours).c_str(), cell(reference).c_str(), cell(bare).c_str());
}

const cv::Mat MakeAllInk(const ChartSpec& spec) { return cv::Mat(spec.height, spec.width, CV_8UC3, cv::Scalar::all(0)); }
const cv::Mat MakeBenchChart(const ChartSpec& spec) { return MakeChart(spec); }

void PrintMemory(const char* what, long peakKb, const ChartSpec& spec) {
    const double pictureKb = double(spec.width) * spec.height * 3 / 1024.0;
    std::printf("  %-28s peak memory of the pass %7.1f MB = %.2f x the picture's %.1f MB\n", what, peakKb / 1024.0,
                peakKb / pictureKb, pictureKb / 1024.0);
}

void BenchSize(int width, int height, int repeats, long peakKb) {
    const ChartSpec spec = BenchChart(width, height);
    const cv::Mat image = MakeChart(spec);
    const double megapixels = double(width) * height / 1e6;

    // Intermediate results the stages start from, as the pass produces them.
    std::vector<double> levels;
    cv::Mat binary;
    BinariseByChannels(binary, image, levels, 3);
    const PlotArea area = DetectAxes(binary);
    DetectionMap probe = BuildDetectionMap(binary, image, area);
    const size_t ink = probe.size();
    std::printf("\n%dx%d (%.1f MP), plot area %d,%d-%d,%d, %zu ink pixels (%.1f%% of the area)\n", width, height,
                megapixels, area.left, area.top, area.right, area.bottom, ink,
                100.0 * double(ink) / (double(area.right - area.left) * (area.bottom - area.top)));
    std::printf("  %-34s%10s%10s%10s\n", "stage (ms)", "ours", "plain", "OpenCV");

    // Bare OpenCV calls.
    std::vector<cv::Mat> planes;
    // Outputs are released before each run: in the pass every call writes into a
    // new matrix, and touching fresh memory is part of its cost.
    const double tExtract = BestMs(repeats, [&] { cv::split(image, planes); }, [&] { planes.clear(); });
    cv::Mat scratch;
    const double tOtsu = BestMs(
        repeats,
        [&] {
            for (int i = 0; i < 3; ++i) {
                if (i < 2) scratch.release();  // the pass reuses one buffer for the last two planes
                cv::threshold(planes[i], scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
            }
        },
        [&] { scratch.release(); });
    cv::Mat edges;
    const double tCanny =
        BestMs(repeats, [&] { cv::Canny(binary, edges, 50, 150, 5, false); }, [&] { edges.release(); });
    std::vector<cv::Vec4i> lines;
    const double tHough1 =
        BestMs(repeats, [&] { cv::HoughLinesP(edges, lines, 1, CV_PI / 180, int(0.4 * height), 50, 4); });
    const double tHough2 =
        BestMs(repeats, [&] { cv::HoughLinesP(edges, lines, 1, CV_PI / 180, int(0.4 * width), 50, 4); });
    // The pass smooths the box around the ink (grown by a pixel); the plain
    // version smooths the whole picture.
    int x0 = width, x1 = 0;
    for (const DetectionEntry& e : probe.Entries()) x0 = std::min(x0, e.col), x1 = std::max(x1, e.col);
    const cv::Rect box = cv::Rect(x0 - 1, probe.FirstRow() - 1, x1 - x0 + 3, probe.RowCount() + 2) &
                         cv::Rect(0, 0, width, height);
    cv::Mat smoothed;
    const double tBlur = BestMs(
        repeats,
        [&] {
            cv::GaussianBlur(image(box), smoothed, cv::Size(3, 3), 0, 0, cv::BORDER_REFLECT_101 | cv::BORDER_ISOLATED);
        },
        [&] { smoothed.release(); });
    const double tBlurAll = BestMs(
        repeats, [&] { cv::GaussianBlur(image, smoothed, cv::Size(3, 3), 0, 0); }, [&] { smoothed.release(); });
    // The pass converts only the ink pixels to Lab; the plain version converts all.
    cv::Mat gathered(1, int(ink), CV_8UC3), lab;
    const double tLabInk =
        BestMs(repeats, [&] { cv::cvtColor(gathered, lab, cv::COLOR_RGB2Lab); }, [&] { lab.release(); });
    const double tLabAll =
        BestMs(repeats, [&] { cv::cvtColor(smoothed, lab, cv::COLOR_RGB2Lab); }, [&] { lab.release(); });

    // Our stages.
    cv::Mat out;
    std::vector<double> scratchLevels;
    const double oBinarise = BestMs(repeats, [&] { BinariseByChannels(out, image, scratchLevels, 3); },
                                    [&] { scratchLevels.clear(); });
    const double oAxes = BestMs(repeats, [&] { DetectAxes(binary); });
    DetectionMap map;
    const double oMap = BestMs(repeats, [&] { map = BuildDetectionMap(binary, image, area); });
    cv::Mat classes;
    const double oColour = BestMs(repeats, [&] { DetectColours(classes, image, map); },
                                  [&] { map = BuildDetectionMap(binary, image, area); });
    PatchList patches;
    const double oGroup =
        BestMs(repeats,
               [&] { GroupPatches(map, patches, area.left, area.top, area.right, area.bottom, classes, 3, {}); },
               [&] {
                   map = BuildDetectionMap(binary, image, area);
                   DetectColours(classes, image, map);
               });

    // Plain reference stages.
    std::vector<double> refLevels;
    const double rBinarise = BestMs(repeats, [&] { ref::BinariseByChannels(out, image, refLevels, 3); },
                                    [&] { refLevels.clear(); });
    ref::DetectionMap refMap;
    const double rMap = BestMs(repeats, [&] { refMap = ref::BuildDetectionMap(binary, image, area); });
    cv::Mat refClasses;
    const double rColour = BestMs(repeats, [&] { ref::DetectColours(refClasses, image, refMap); },
                                  [&] { refMap = ref::BuildDetectionMap(binary, image, area); });
    PatchList refPatches;
    const double rGroup = BestMs(
        repeats,
        [&] {
            ref::GroupPatches(refMap, refPatches, area.left, area.top, area.right, area.bottom, refClasses, 3, {});
        },
        [&] {
            refMap = ref::BuildDetectionMap(binary, image, area);
            ref::DetectColours(refClasses, image, refMap);
        });
    refMap.clear();

    // Whole passes.
    std::vector<double> passLevels;
    PlotArea passArea;
    NullLog log;
    const double oPass = BestMs(
        repeats, [&] { patches = RunProcessing(image, {}, {-1, -1, -1, -1}, log, {}).patches; },
        [&] { passLevels.clear(); });
    const double rPass = BestMs(
        repeats, [&] { ref::RunProcessing(image, {}, {-1, -1, -1, -1}, passLevels, refPatches, passArea, log, {}); },
        [&] { passLevels.clear(); });
    ProcessSettings degrid;
    degrid.removeGrid = true;
    const double oPassGrid = BestMs(
        repeats, [&] { patches = RunProcessing(image, degrid, {-1, -1, -1, -1}, log, {}).patches; },
        [&] { passLevels.clear(); });

    Row("binarise (channel split + Otsu)", oBinarise, rBinarise, tExtract + tOtsu);
    Row("axes (Canny + 2 Hough passes)", oAxes, oAxes, tCanny + tHough1 + tHough2);
    Row("detection map", oMap, rMap, -1);
    Row("colour detection (blur + Lab)", oColour, rColour, tBlur + tLabInk);
    Row("grouping", oGroup, rGroup, -1);
    const double oTrio = oMap + oColour + oGroup, rTrio = rMap + rColour + rGroup;
    Row("map + colours + grouping", oTrio, rTrio, tBlur + tLabInk);
    Row("whole pass (RunProcessing)", oPass, rPass, -1);
    Row("whole pass with grid removal", oPassGrid, -1, -1);
    std::printf("  bare OpenCV calls: channel split %.1f, Otsu x3 %.1f, Canny %.1f, Hough %.1f + %.1f,\n"
                "    blur of the ink's box %.1f (of the whole picture %.1f),\n"
                "    Lab of the ink pixels %.1f (of the whole picture %.1f)\n",
                tExtract, tOtsu, tCanny, tHough1, tHough2, tBlur, tBlurAll, tLabInk, tLabAll);
    const double unavoidable = tExtract + tOtsu + tCanny + tHough1 + tHough2 + tBlur + tLabInk;
    std::printf("  map + colours + grouping: %.1fx faster than the plain reference\n", rTrio / oTrio);
    std::printf("  whole pass: best %.1f ms; the bare OpenCV calls: best %.1f ms; %.1f%% outside them\n", oPass,
                unavoidable, 100.0 * std::max(0.0, oPass - unavoidable) / oPass);

    // The machine is shared, so also pair each pass with a run of the bare calls
    // right before it and take the median share over the pairs.
    std::vector<double> shares, sharesWithSplit;
    for (int r = 0; r < std::max(3, repeats); ++r) {
        planes.clear();
        scratch.release();
        edges.release();
        smoothed.release();
        lab.release();
        const auto start = Clock::now();
        cv::split(image, planes);
        const auto split = Clock::now();
        for (int i = 0; i < 3; ++i) {
            if (i < 2) scratch.release();
            cv::threshold(planes[i], scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        }
        cv::Canny(binary, edges, 50, 150, 5, false);
        cv::HoughLinesP(edges, lines, 1, CV_PI / 180, int(0.4 * height), 50, 4);
        cv::HoughLinesP(edges, lines, 1, CV_PI / 180, int(0.4 * width), 50, 4);
        cv::GaussianBlur(image(box), smoothed, cv::Size(3, 3), 0, 0, cv::BORDER_REFLECT_101 | cv::BORDER_ISOLATED);
        cv::cvtColor(gathered, lab, cv::COLOR_RGB2Lab);
        const auto bareEnd = Clock::now();
        patches = RunProcessing(image, {}, {-1, -1, -1, -1}, log, {}).patches;
        const auto passEnd = Clock::now();
        const double bare = std::chrono::duration<double, std::milli>(bareEnd - start).count();
        const double splitMs = std::chrono::duration<double, std::milli>(split - start).count();
        const double pass = std::chrono::duration<double, std::milli>(passEnd - bareEnd).count();
        shares.push_back(std::max(0.0, pass - bare) / pass);
        sharesWithSplit.push_back(std::max(0.0, pass - bare + splitMs) / pass);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("  paired runs: %.1f%% of the pass outside the bare OpenCV calls (median of %zu)\n",
                100.0 * median(shares), shares.size());
    std::printf("  (counting the channel split as ours: %.1f%%)\n", 100.0 * median(sharesWithSplit));
    PrintMemory("chart:", peakKb, spec);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::printf("plotsnap processing benchmark (best of several runs, ms; %d OpenCV threads)\n",
                cv::getNumThreads());
    struct Size {
        int width, height, repeats;
    };
    const Size sizes[] = {{1155, 866, quick ? 1 : 7}, {2309, 1732, quick ? 1 : 5}, {4000, 3000, quick ? 1 : 5}};
    std::vector<long> peaks;
    for (const Size& s : sizes) peaks.push_back(PeakPassMemoryKb(MakeBenchChart, BenchChart(s.width, s.height)));
    const ChartSpec allInk = BenchChart(4000, 3000);
    const long allInkPeak = PeakPassMemoryKb(MakeAllInk, allInk);
    for (size_t i = 0; i < peaks.size(); ++i) BenchSize(sizes[i].width, sizes[i].height, sizes[i].repeats, peaks[i]);
    std::printf("\nWorst case, 4000x3000 all ink (12 million map entries, the grouping question answered No):\n");
    PrintMemory("all ink:", allInkPeak, allInk);
    return 0;
}

// A whole `plotsnap-cli process` run on a 12-megapixel PNG against its floor:
// decoding the picture plus the OpenCV calls the pass must make (channel split,
// three Otsu thresholds, the blur and Lab conversion of the ink, and with grid removal
// Canny and the Hough pass). The plain run and one with --remove-grid are timed. Every
// run is a fresh process; its peak memory, whole and above what the tool holds before
// it reads a picture (its libraries: `--version`), is set against the picture's bytes.
// Times are the best of several runs, in milliseconds.
#include <wx/image.h>
#include <wx/init.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/PictureFile.h"
#include "support/charts.h"

namespace {
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// The floor, in a child process: decode, then the calls no pass can avoid. Returns ms.
double FloorMs(const std::string& png, bool removeGrid) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    if (fork() == 0) {
        close(fds[0]);
        const auto start = Clock::now();
        PictureRead read = ReadPictureFile(wxString::FromUTF8(png.c_str()));
        const cv::Mat image(read.image.GetHeight(), read.image.GetWidth(), CV_8UC3, read.image.GetData());
        std::vector<cv::Mat> planes;
        cv::split(image, planes);
        cv::Mat binary(image.size(), CV_8UC1, cv::Scalar(255)), level, edges, smoothed, lab;
        for (cv::Mat& plane : planes) {
            cv::threshold(plane, level, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
            binary &= level;
        }
        if (removeGrid) {  // the grid pass's edge map and line search
            cv::Canny(binary, edges, 50, 150, 5, false);
            std::vector<cv::Vec4i> lines;
            cv::HoughLinesP(edges, lines, 1, CV_PI / 180, 20, 50, 2);
        }
        const auto untimed = Clock::now();
        // Gathering the ink is the pass's own work; only the OpenCV calls on it count.
        cv::Mat ink;
        cv::findNonZero(255 - binary, ink);
        const cv::Rect box = cv::boundingRect(ink);
        cv::Mat gathered(1, int(ink.total()), CV_8UC3);
        for (int i = 0; i < int(ink.total()); ++i) gathered.at<cv::Vec3b>(0, i) = image.at<cv::Vec3b>(ink.at<cv::Point>(i));
        const auto resume = Clock::now();
        cv::GaussianBlur(image(box), smoothed, cv::Size(3, 3), 0, 0, cv::BORDER_REFLECT_101 | cv::BORDER_ISOLATED);
        cv::cvtColor(gathered, lab, cv::COLOR_RGB2Lab);
        const double ms = Ms(start, untimed) + Ms(resume, Clock::now());
        if (write(fds[1], &ms, sizeof ms) != sizeof ms) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    double ms = -1;
    if (read(fds[0], &ms, sizeof ms) != sizeof ms) ms = -1;
    close(fds[0]);
    wait(nullptr);
    return ms;
}

// A process's peak memory counts what it inherited when forked, so the tool is started
// from a fresh copy of this program (`--start`), whose own memory is small, never from
// this one, which holds the chart.
int StartAndMeasure(char** args) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!freopen("/dev/null", "w", stdout) || !freopen("/dev/null", "w", stderr)) _exit(127);
        execv(args[0], args);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double ms = Ms(start, Clock::now());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    std::printf("%f %ld\n", ms, usage.ru_maxrss);
    return 0;
}

// One run of the real tool; returns its wall time and its peak resident memory (kB).
std::pair<double, long> CliRun(std::vector<const char*> args) {
    int out[2];
    if (pipe(out) != 0) return {-1, -1};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        args.insert(args.begin(), {"bench_cli_run", "--start", PLOTSNAP_CLI});
        args.push_back(nullptr);
        execv("/proc/self/exe", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(out[1]);
    char line[128] = {};
    const ssize_t n = read(out[0], line, sizeof line - 1);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double ms = -1;
    long kb = -1;
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || std::sscanf(line, "%lf %ld", &ms, &kb) != 2)
        return {-1, -1};
    return {ms, kb};
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--start") == 0) return StartAndMeasure(argv + 2);
    const int repeats = argc > 1 && std::strcmp(argv[1], "--quick") == 0 ? 1 : 5;
    wxInitializer toolkit;
    wxInitAllImageHandlers();
    // The processing benchmark's 12-megapixel chart, saved as PNG.
    ChartSpec spec;
    spec.width = 4000;
    spec.height = 3000;
    spec.gridStep = 240;
    spec.gridThickness = 2;
    spec.frameThickness = 4;
    spec.curves = 6;
    spec.curveThickness = 12;
    spec.textBlobs = 360;
    spec.blobScale = 6;
    spec.blobsOutside = true;
    spec.curveMargin = 20;
    spec.seed = 7;
    const cv::Mat chart = MakeChart(spec);
    wxImage img(chart.cols, chart.rows);
    std::memcpy(img.GetData(), chart.data, chart.total() * 3);
    char dir[] = "/tmp/plotsnap-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    const std::string png = std::string(dir) + "/chart.png";
    if (!img.SaveFile(png, wxBITMAP_TYPE_PNG)) return 1;
    img = wxImage();

    const double pictureMb = double(spec.width) * spec.height * 3 / (1024.0 * 1024.0);
    std::printf("plotsnap-cli process on a %dx%d PNG (best of %d, fresh processes)\n", spec.width, spec.height, repeats);
    std::fflush(stdout);  // a child's freopen would print the buffer again
    const long libraries = CliRun({"--version"}).second;
    for (const bool removeGrid : {false, true}) {
        double floor = 1e300, run = 1e300;
        long peak = 0;
        for (int i = 0; i < repeats; ++i) {
            floor = std::min(floor, FloorMs(png, removeGrid));
            const auto [ms, kb] = removeGrid ? CliRun({"process", png.c_str(), "--remove-grid", "--list-patches"})
                                             : CliRun({"process", png.c_str(), "--list-patches"});
            if (ms < 0) {
                std::printf("plotsnap-cli failed on %s\n", png.c_str());
                return 1;
            }
            run = std::min(run, ms);
            peak = std::max(peak, kb);
        }
        std::printf("%s\n  whole run %.0f ms; floor (decode + unavoidable OpenCV calls) %.0f ms; %.2f x the floor\n",
                    removeGrid ? "with --remove-grid" : "plain", run, floor, run / floor);
        std::printf("  peak memory %.1f MB = %.2f x the picture's %.1f MB; above the %.1f MB of its libraries"
                    " %.1f MB = %.2f x\n",
                    peak / 1024.0, peak / 1024.0 / pictureMb, pictureMb, libraries / 1024.0,
                    (peak - libraries) / 1024.0, (peak - libraries) / 1024.0 / pictureMb);
        std::fflush(stdout);
    }
    std::remove(png.c_str());
    rmdir(dir);
    return 0;
}

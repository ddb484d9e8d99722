// Whole plotsnap-cli runs, a fresh process per run, on a 640 x 480 and a 12
// megapixel chart: colour classes learned from the picture side by side with the
// six reference colours. Then, in fresh processes, the image library's first and
// second 8-bit Lab conversion, the set-up the learned classes do without.
// Times are the best of several runs, wall clock and the child's CPU time, in ms.
// usage: bench_colour_classes [PLOTSNAP_CLI]   (default: ../plotsnap-cli beside this program)
#include "document/png_image.h"
#include "support/charts.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
    double wall = 1e300, cpu = 1e300;
};

// PNG, the format charts are mostly saved in.
void WritePng(const std::string& path, const cv::Mat& rgb) {
    const std::string bytes = EncodePng(rgb);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double CpuMs(const rusage& u) {
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Best wall and CPU time of `repeats` runs of the command, output discarded.
Times Run(const std::vector<std::string>& command, int repeats) {
    Times best;
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0) {
            std::fprintf(stderr, "cannot run %s\n", argv[0]);
            std::exit(1);
        }
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "%s failed\n", argv[0]);
            std::exit(1);
        }
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, CpuMs(usage));
    }
    posix_spawn_file_actions_destroy(&quiet);
    return best;
}

// The first and the second 8-bit Lab conversion of a 10 x 10 picture, in a fresh child.
std::pair<double, double> FirstLabConversion() {
    int fds[2];
    if (pipe(fds) != 0) return {0, 0};
    const pid_t pid = fork();
    if (pid == 0) {
        cv::Mat rgb(10, 10, CV_8UC3, cv::Scalar(31, 119, 180)), lab;
        double ms[2];
        for (double& m : ms) {
            const auto start = Clock::now();
            cv::cvtColor(rgb, lab, cv::COLOR_RGB2Lab);
            m = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        (void)!write(fds[1], ms, sizeof ms);
        _exit(0);
    }
    double ms[2] = {0, 0};
    (void)!read(fds[0], ms, sizeof ms);
    waitpid(pid, nullptr, 0);
    close(fds[0]);
    close(fds[1]);
    return {ms[0], ms[1]};
}

}  // namespace

int main(int argc, char** argv) {
    std::string cli = argc > 1 ? argv[1] : std::string(argv[0]);
    if (argc <= 1) cli = cli.substr(0, cli.find_last_of('/') + 1) + "../plotsnap-cli";
    if (access(cli.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "no plotsnap-cli at %s (give its path)\n", cli.c_str());
        return 1;
    }
    struct Size {
        int w, h, repeats;
    };
    std::printf("plotsnap-cli process CHART --list-patches, a fresh process per run, best of N (ms)\n");
    std::printf("%-11s %-22s %-22s %s\n", "chart", "learned: wall / cpu", "reference: wall / cpu", "learned / reference");
    for (const Size s : {Size{640, 480, 15}, Size{4000, 3000, 5}}) {
        ChartSpec spec;
        const int scale = std::max(1, s.w / 640);
        spec.width = s.w;
        spec.height = s.h;
        spec.gridStep = 40 * scale;
        spec.curves = 6;
        spec.curveThickness = 2 * scale;
        spec.textBlobs = 12 * scale;
        spec.blobScale = scale;
        spec.blobsOutside = true;
        const std::string path = "/tmp/plotsnap-bench-" + std::to_string(s.w) + "x" + std::to_string(s.h) + ".png";
        WritePng(path, MakeChart(spec));
        const Times learned = Run({cli, "process", path, "--list-patches"}, s.repeats);
        const Times reference = Run({cli, "process", path, "--list-patches", "--reference-colours"}, s.repeats);
        std::printf("%4dx%-6d %8.1f / %-11.1f %8.1f / %-11.1f %.2f (wall) %.2f (cpu)\n", s.w, s.h, learned.wall,
                    learned.cpu, reference.wall, reference.cpu, learned.wall / reference.wall,
                    learned.cpu / reference.cpu);
        std::remove(path.c_str());
    }
    const auto [first, second] = FirstLabConversion();
    std::printf("8-bit Lab conversion of 10 x 10 pixels in a fresh process: first %.1f ms, second %.3f ms\n", first,
                second);
    return 0;
}

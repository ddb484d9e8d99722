// Batch throughput: plotsnap-cli applying one project to a folder of generated
// 1-megapixel charts (curves moved from picture to picture), timed as whole runs
// with -j 1 and -j 2, best of three each. Usage: bench_batch [charts] [side] [folder];
// the charts are kept in the folder when one is given.
#include "document/png_image.h"
#include "support/charts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double ChildCpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

// Wall time of the command; *cpu (if given) gets the processor time it used.
double RunSeconds(const std::string& command, double* cpu = nullptr) {
    const double cpuBefore = ChildCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (cpu) *cpu = ChildCpuSeconds() - cpuBefore;
    if (rc != 0) {
        std::fprintf(stderr, "failed (%d): %s\n", rc, command.c_str());
        std::exit(1);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int side = argc > 2 ? std::max(64, std::atoi(argv[2])) : 1000;
    const bool keep = argc > 3;
    const fs::path dir = keep ? fs::path(argv[3]) : fs::temp_directory_path() / ("plotsnap_bench_batch_" + std::to_string(::getpid()));
    fs::create_directories(dir / "out");
    std::string images;
    for (int i = 0; i < count; ++i) {
        ChartSpec spec;
        spec.width = spec.height = side;
        spec.gridStep = side / 16;
        spec.curveThickness = 3;
        spec.textBlobs = 40;
        spec.seed = 100 + i;
        char name[32];
        std::snprintf(name, sizeof name, "chart%03d.png", i);
        std::ofstream(dir / name, std::ios::binary) << EncodePng(MakeChart(spec));
        images += " " + (dir / name).string();
    }
    const std::string cli = PLOTSNAP_CLI;
    const std::string project = (dir / "setup.plotsnap").string();
    RunSeconds(cli + " process " + (dir / "chart000.png").string() + " --colour red --graph --colour blue --x 0=0," +
               std::to_string(side) + "=1 --y " + std::to_string(side) + "=0,0=1 -o /dev/null --save-project " + project +
               " 2>/dev/null");
    std::printf("batch of %d charts, %d x %d pixels, on %u cores\n", count, side, side, std::thread::hardware_concurrency());
    // Wall time only shows the speed-up on otherwise idle cores, so the load and the
    // processor time per chart are printed beside it.
    double best[3] = {1e300, 1e300, 1e300}, cpu[3] = {0, 0, 0};
    for (int round = 0; round < 3; ++round)
        for (int j = 1; j <= 2; ++j) {
            double used = 0;
            const double wall = RunSeconds(cli + " process" + images + " --project " + project + " -o " +
                                               (dir / "out").string() + " -j " + std::to_string(j) + " 2>/dev/null",
                                           &used);
            if (wall < best[j]) best[j] = wall, cpu[j] = used;
        }
    double load[3] = {0, 0, 0};
    ::getloadavg(load, 3);
    for (int j = 1; j <= 2; ++j)
        std::printf("-j %d: %.2f s (%.1f charts/s), %.3f processor s per chart\n", j, best[j], count / best[j],
                    cpu[j] / count);
    std::printf("speed-up -j 2 over -j 1: %.2fx (load average %.1f while measuring)\n", best[1] / best[2], load[0]);
    if (!keep) fs::remove_all(dir);
    return 0;
}

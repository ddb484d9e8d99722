// The processing pass on a small fuzzed picture with fuzzed settings and plot
// rectangle, then the thinned point list of what it found.
#include <cstring>

#include "app/input_rules.h"
#include "detect/process.h"
#include "detect/thinning.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool oneThread = [] { cv::setNumThreads(0); return true; }();  // no pool hand-offs per run
    (void)oneThread;
    if (size < 16) return 0;
    const int cols = 1 + data[0] % 64, rows = 1 + data[1] % 64;
    ProcessSettings s;
    s.manualThreshold = data[2] & 1;
    s.removeGrid = data[2] & 2;
    s.threshold = data[3];
    s.minPatchSize = data[4] % 8;
    s.gridWidth = data[5] % 8;
    PlotArea rect;  // unset: the frame is detected
    if (data[2] & 4) {
        const IRect r{data[6] % 70, data[7] % 70, data[8] % 70, data[9] % 70};
        if (!PlotRectProblem(r, cols, rows).empty()) return 0;  // refused before processing
        rect = {r.left, r.top, r.right, r.bottom};
    }
    cv::Mat image(rows, cols, CV_8UC3, cv::Scalar(255, 255, 255));
    const size_t bytes = std::min(size - 16, image.total() * 3);
    std::memcpy(image.data, data + 16, bytes);
    NullLog log;
    const ProcessResult result = RunProcessing(image, s, rect, log, [] { return false; });
    PointList points;
    ColumnMap columns;
    BuildPointList(points, result.patches, rows, cols, true, columns);
    return 0;
}

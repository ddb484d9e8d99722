// Writes resources/sample-chart.png, the chart the README digitizes with plotsnap-cli.
// Build and run from the repository root (needs no display):
//   g++ -std=c++17 -O1 -Itests/core -I/usr/include/opencv4 tools/make_sample_chart.cpp \
//       $(wx-config --cxxflags --libs core,base) -lopencv_imgproc -lopencv_core -o /tmp/make_sample_chart
//   /tmp/make_sample_chart resources/sample-chart.png
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>

#include "cli_sample_chart.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_chart OUTPUT.png\n");
        return 2;
    }
    wxInitializer toolkit;
    wxInitAllImageHandlers();
    const cv::Mat rgb = sample_chart::Draw();
    wxImage image(rgb.cols, rgb.rows, false);
    std::memcpy(image.GetData(), rgb.data, rgb.total() * 3);
    if (!image.SaveFile(argv[1], wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

#pragma once
// Synthetic chart pictures for tests and benchmarks: a frame, a grid, coloured
// curves and text-like blobs, drawn deterministically from a seed.
#include <opencv2/core.hpp>
#include <cstdint>

struct ChartSpec {
    int width = 640;
    int height = 480;
    bool frame = true;       // black axis frame around the plot area
    bool grid = true;        // thin grey grid lines
    int gridStep = 40;
    int curves = 3;          // coloured curves (red, blue, green, ...)
    int curveThickness = 2;
    int curveMargin = 2;     // curves start and end this far inside the frame
    int textBlobs = 12;      // small dark blobs that look like tick labels
    int frameThickness = 2;
    int gridThickness = 1;
    int blobScale = 1;       // blob sizes are multiplied by this (large pictures)
    bool blobsOutside = false;  // keep the blobs off the plot frame, like tick labels
    uint32_t seed = 1;
};

// Returns an 8-bit, three-channel image in red, green, blue order.
cv::Mat MakeChart(const ChartSpec& spec);

#pragma once
// Calibrating the axes from the picture's own tick labels: ticks found along the
// plot area's bottom and left edges, the number beside each read on its own,
// labels paired with ticks and each axis fitted by consensus.
#include <opencv2/core.hpp>

#include <string>
#include <vector>

#include "detect/types.h"
#include "document/calibration.h"
#include "text/label.h"
#include "text/ocr.h"
#include "text/tick_fit.h"

struct AxisFromLabels {
    bool calibrated = false;
    // "X axis from 6 tick labels: 0 to 10, linear", or why the axis was left alone.
    std::string logLine;
    std::string reason;  // why not, when not calibrated
    AxisScale scale = AxisScale::Linear;
    // Two well-separated ticks: image columns (X, left one first) or rows (Y,
    // lower one first), and the values of their labels.
    int pixel1 = -1, pixel2 = -1;
    double value1 = 0, value2 = 0;
    int line = -1;  // the axis line: image row of the X points, column of the Y points
    // The labels of those two ticks, of kinds Xmin and Xmax (Ymin and Ymax).
    std::vector<TextLabel> labels;
    int labelsRead = 0;  // labels read as numbers and paired with a tick
};

struct LabelCalibration {
    AxisFromLabels x, y;
};

// Which axes to look at.
struct LabelCalibrationRequest {
    bool x = true, y = true;
};

// `rgb`: the picture (8-bit, 3 channels, red first); `area`: the plot area inside
// the frame. The engine reads one small image per label. An axis not asked for
// comes back uncalibrated with an empty log line. Throws std::invalid_argument
// for a picture of another type.
LabelCalibration CalibrateFromTickLabels(const cv::Mat& rgb, const PlotArea& area, OcrEngine& engine,
                                         const LabelCalibrationRequest& request = {});

// Takes what was found into a document's calibration and labels: each calibrated
// axis gets its two points (on the axis line), every label loses that axis's
// value kinds and the two labels found are added; an axis left uncalibrated keeps
// what it had. False when neither axis was calibrated (nothing changes).
bool TakeLabelCalibration(const LabelCalibration& found, Calibration& calibration, std::vector<TextLabel>& labels);

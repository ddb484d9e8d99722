#pragma once
// The values shown under the pointer: the status-bar readout and the value
// markers beside a picked curve, as text from the document's calibration.
#include <string>
#include <vector>

#include "base/common.h"
#include "document/document.h"

// How the canvas reads values and shows the picture.
struct ReadoutSettings {
    bool logX = false;
    bool logY = false;
    bool showValueMarkers = true;
    bool whiteBackground = false;  // show the last binary image in place of the picture
};

struct ValueMarker {
    std::string text;
    int row = 0;
    int col = 0;
    bool operator==(const ValueMarker& o) const { return text == o.text && row == o.row && col == o.col; }
};

// The calibrated values at a pixel in the printf format, rounded to single
// precision, "?" for an axis that cannot be used; false when neither can.
bool AxisValueTexts(const Calibration& c, const ReadoutSettings& s, int column, double row, const char* format,
                    std::string& vx, std::string& vy);
// "Values: (x, y); Cursor: (c, r)", or only the cursor part without a usable axis.
std::string StatusReadout(const Calibration& c, const ReadoutSettings& s, IPoint p);
// "x, y" with five digits, or "(c, r)" without a usable axis.
std::string PointValueText(const Calibration& c, const ReadoutSettings& s, int column, double row);
// The part `box` of what the canvas shows under the patches, red-green-blue: the last binary
// image (ink black on white paper) with the white background on and kept, else the picture.
cv::Mat ShownBackground(const cv::Mat& picture, const cv::Mat& binary, const cv::Rect& box, bool whiteBackground);
// Whether p is within 8 pixels of a run of the current graph.
bool NearPickedRun(const Document& doc, IPoint p);
// The markers for p: one per thinned row of a curve within 8 rows of p in p's
// column, when p is near a picked run; empty otherwise.
std::vector<ValueMarker> ValueMarkersAt(const Document& doc, const ReadoutSettings& s, IPoint p);

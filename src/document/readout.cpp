#include "document/readout.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/numbers.h"
#include "detect/centres.h"
#include "document/selection.h"
#include "output/mapping.h"

bool AxisValueTexts(const Calibration& c, const ReadoutSettings& s, int column, double row, const char* format,
                    std::string& vx, std::string& vy) {
    const int bits = CheckCalibration(c);
    const bool xUsable = !(bits & (CAL_X_UNSET | CAL_X_TOO_SMALL));
    const bool yUsable = !(bits & (CAL_Y_UNSET | CAL_Y_TOO_SMALL));
    vx = xUsable ? FormatDouble(format, float(PixelToValueX(column, c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, s.logX)))
                 : "?";
    vy = yUsable
             ? FormatDouble(format, float(PixelToValueY(row, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2, s.logY, 0)))
             : "?";
    return xUsable || yUsable;
}

cv::Mat ShownBackground(const cv::Mat& picture, const cv::Mat& binary, const cv::Rect& box, bool whiteBackground) {
    cv::Mat part;
    if (whiteBackground && !binary.empty())
        cv::cvtColor(binary(box), part, cv::COLOR_GRAY2RGB);
    else
        picture(box).copyTo(part);
    return part;
}

std::string StatusReadout(const Calibration& c, const ReadoutSettings& s, IPoint p) {
    const std::string cursor = "Cursor: (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
    std::string vx, vy;
    if (!AxisValueTexts(c, s, p.x, p.y, "%g", vx, vy)) return cursor;
    return "Values: (" + vx + ", " + vy + "); " + cursor;
}

std::string PointValueText(const Calibration& c, const ReadoutSettings& s, int column, double row) {
    std::string vx, vy;
    if (!AxisValueTexts(c, s, column, row, "%.5g", vx, vy))
        return "(" + std::to_string(column) + ", " + std::to_string(int(std::lround(row))) + ")";
    return vx + ", " + vy;
}

bool NearPickedRun(const Document& doc, IPoint p) {
    return p != kNoPoint && std::any_of(doc.Selection().begin(), doc.Selection().end(), [&](const Patch& patch) {
               return std::any_of(patch.begin(), patch.end(), [&](const Run& run) { return HitRun(p, run, 8); });
           });
}

std::vector<ValueMarker> ValueMarkersAt(const Document& doc, const ReadoutSettings& s, IPoint p) {
    std::vector<ValueMarker> markers;
    if (!NearPickedRun(doc, p)) return markers;
    const ThinnedCurves& thinned = doc.Thinned();
    for (size_t i = 0; i < thinned.size(); ++i) {
        const auto it = thinned[i].find(p.x);
        if (it == thinned[i].end()) continue;
        for (int r : it->second) {
            if (std::abs(r - p.y) >= 9) continue;
            // The value of the stroke's sub-pixel centre, as export writes it.
            const double centre = i < doc.Patches().size() ? StrokeCentre(doc.Patches()[i], p.x, r, doc.Picture()) : r;
            ValueMarker marker{PointValueText(doc.GetCalibration(), s, p.x, centre), r, p.x};
            if (std::find(markers.begin(), markers.end(), marker) == markers.end()) markers.push_back(marker);
        }
    }
    return markers;
}

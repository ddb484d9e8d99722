#include "output/series.h"

#include <algorithm>
#include <cmath>

#include "base/common.h"
#include "detect/centres.h"

namespace {

// Pixel units: column c maps to c + 0.5, the centre of the pixel.
void ApplyDefaultScaleX(Calibration& cal) {
    cal.xValue1 = 0.5;
    cal.xPixel1 = 0;
    cal.xValue2 = 2.5;
    cal.xPixel2 = 2;
}

// Pixel units counted upward from the bottom edge: row r maps to height - r - 0.5,
// the image height entering as the offset.
void ApplyDefaultScaleY(Calibration& cal, int imageHeight, int& yOffset) {
    cal.yValue1 = -2.5;
    cal.yPixel1 = 2;
    cal.yValue2 = -0.5;
    cal.yPixel2 = 0;
    yOffset = imageHeight;
}

// The column a point belongs to; a marker's centroid may fall between columns.
int Column(const cv::Point2d& p) { return static_cast<int>(std::lround(p.x)); }

}  // namespace

std::optional<ExportTable> PrepareExport(const std::vector<PatchList>& graphs, Calibration cal,
                                         const ExportSettings& settings, ExportQuestions& q, bool* repaintWanted) {
    bool ignored = false;
    bool& repaint = repaintWanted ? *repaintWanted : ignored;
    repaint = false;

    std::vector<const PatchList*> picked;
    for (const PatchList& g : graphs)
        if (!g.empty()) picked.push_back(&g);
    if (picked.empty()) {
        q.ShowError("No graphs have been selected for export/copy", kAppName);
        return std::nullopt;
    }
    repaint = true;

    int yOffset = 0;
    bool defaultX = false, defaultY = false;
    // Both questions decide from the state before any default was applied.
    const int bits = CheckCalibration(cal);
    if (bits & (CAL_X_UNSET | CAL_Y_UNSET)) {
        if (!q.AskYesNo("X and/or Y scales are not set, use default values?")) return std::nullopt;
        if (bits & CAL_X_UNSET) defaultX = true;
        if (bits & CAL_Y_UNSET) defaultY = true;
    }
    if (bits & (CAL_X_TOO_SMALL | CAL_Y_TOO_SMALL)) {
        if (!q.AskYesNo("X and/or Y scales are too small, use default values?")) return std::nullopt;
        if (bits & CAL_X_TOO_SMALL) defaultX = true;
        if (bits & CAL_Y_TOO_SMALL) defaultY = true;
    }
    if (defaultX) ApplyDefaultScaleX(cal);
    if (defaultY) ApplyDefaultScaleY(cal, settings.imageHeight, yOffset);
    // Pixel units have no logarithmic reading, so a default scale is refused there
    // too. Written as !(v > 0) so a NaN value is refused as well.
    const bool badX = settings.logX && (defaultX || !(cal.xValue1 > 0) || !(cal.xValue2 > 0));
    const bool badY = settings.logY && (defaultY || !(cal.yValue1 > 0) || !(cal.yValue2 > 0));
    if (badX || badY) {
        q.ShowError("X and/or Y Logarithmic scales can not be zero or negative, please set the scales accordingly",
                    kExportCaption);
        return std::nullopt;
    }

    ExportTable table;
    table.calibration = cal;
    table.yOffset = yOffset;
    table.logX = settings.logX;
    table.logY = settings.logY;
    table.commonX = settings.commonX;
    table.graphs.resize(picked.size());
    ColumnMap unused;
    for (size_t j = 0; j < picked.size(); ++j) {
        PointList& points = table.graphs[j];
        BuildPointList(points, *picked[j], settings.imageHeight, settings.imageWidth, settings.thin, unused);
        if (settings.thin && !settings.picture.empty())
            PlaceCurveCentres(points, *picked[j], settings.picture, settings.bridge);
        for (const cv::Point2d& p : points) table.columns.push_back(Column(p));
        table.longest = std::max(table.longest, points.size());
    }
    std::sort(table.columns.begin(), table.columns.end());
    table.columns.erase(std::unique(table.columns.begin(), table.columns.end()), table.columns.end());

    if (settings.commonX) {
        // Points are sorted by x then y, so the first one per column is the topmost.
        table.lookups.resize(table.graphs.size());
        for (size_t j = 0; j < table.graphs.size(); ++j)
            for (const cv::Point2d& p : table.graphs[j]) table.lookups[j].emplace(Column(p), p.y);
    }
    return table;
}

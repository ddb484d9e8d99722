#pragma once
// The canvas's editable state as plain records: the axis calibration, value
// markers, a snapshot of everything the user edits, and the undo history.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "base/common.h"
#include "document/history.h"
#include "detect/thinning.h"
#include "detect/types.h"
#include "text/label.h"

struct AxisCalibration {
    IPoint x1, x2, y1, y2;
    double xValue1 = 0, xValue2 = 0, yValue1 = 0, yValue2 = 0;
    bool x1Set = false, x2Set = false, y1Set = false, y2Set = false;
    bool xLog = false, yLog = false;
    bool operator==(const AxisCalibration& o) const;
};

struct ValueMarker {
    std::string text;
    int row = 0;
    int col = 0;
    bool operator==(const ValueMarker& o) const { return text == o.text && row == o.row && col == o.col; }
};

struct EditState {
    bool redrawPlotRect = false;
    bool filled = false;
    AxisCalibration calib;
    bool showValueMarkers = true;
    bool removeGrid = false;
    int gridWidth = 2;
    int currentSlot = 0;
    IRect plotRect, plotRectDrawn, rubberBand;
    std::vector<ValueMarker> valueMarkers;
    PatchList working;
    std::vector<PatchList> slots;
    std::vector<ColumnMap> thinned;
    std::vector<TextLabel> textLabels;

    // Rough heap size, used to keep the history within its memory budget.
    std::size_t ApproxBytes() const;
};

using CanvasHistory = EditHistory<EditState>;

#pragma once
// The canvas's editable state as plain records: the axis calibration, value
// markers, a snapshot of everything the user edits, and the undo history.
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "app/common.h"
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

// Linear undo history. Entries are the states before each action; Undo walks back
// one action, Redo forward; a new action after an Undo drops the redo branch.
// Capped at kMaxEntries snapshots and kMaxBytes of snapshot data (oldest dropped first),
// so a large chart with many patches cannot exhaust memory.
class EditHistory {
public:
    static constexpr std::size_t kMaxEntries = 200;
    static constexpr std::size_t kMaxBytes = 256u * 1024 * 1024;

    void Clear();
    // Records the state before an action.
    void Record(EditState before);
    bool CanUndo() const { return position > 0; }
    bool CanRedo() const { return position + 1 < entries.size(); }
    // Steps back: returns the state to restore; current is the state now (kept for Redo).
    bool Undo(const EditState& current, EditState& restore);
    bool Redo(EditState& restore);
    std::size_t Size() const { return entries.size(); }
    std::size_t Position() const { return position; }

private:
    void Trim();
    std::deque<EditState> entries;
    std::size_t position = 0;
    std::size_t bytes = 0;
};

#pragma once
// The open chart, toolkit-free: everything the user edits lives in this one object.
//
//  Picture     SetPicture(rgb) starts a new document from an 8-bit RGB matrix, held
//              once (views wrap its bytes). Picture(), HasPicture(), Width(), Height().
//              Revert() drops every edit and result but keeps the picture.
//  Processing  InstallResults(result, settings) takes a RunProcessing result: the
//              plot area becomes the plot rectangle and the new patches are merged
//              with every graph's picks. Patches() is sorted. Processed(),
//              ChannelThresholds() (every pass's levels), Binary(), Settings().
//  Derived     ResultsGeneration() counts patch-list changes; AcceptThinned() and
//              AcceptHovers() take a worker's data only for the current generation.
//  Graphs      Graphs() (slots in order), CurrentGraph(), Selection() (the current
//              slot), SelectGraph(n) (creates missing slots), Pick(pred) / Unpick(pred).
//  Calibration GetCalibration(); StartAxis(axis) records a step and clears the axis;
//              ClearAxis(axis); SetAxisPoint(axis, second, point, value); SetCalibration(c).
//              Clearing an axis also clears that axis's value kinds on every label.
//  Labels      Labels(), AddLabels(list), SelectLabel(i), DeleteSelectedLabel(),
//              EditLabel(i, text, kinds) (axis-value kinds move the calibration),
//              SetLabelLayout(i, box, font size) (where drawing put it; not an edit).
//  Plot rect   PlotRect(), SetPlotRect(r) (one step); a drag is BeginPlotRectEdit()
//              (the step), MovePlotRect(r) per motion, EndPlotRectEdit() (normalises).
//  History     Every edit above records the state before it; Undo(), Redo(),
//              CanUndo(), CanRedo(), ClearHistory(), RecordStep() for an edit made of
//              several calls. Only calibration, plot rectangle, graphs and labels are
//              snapshots; patches and settings are not undone.
//  Observers   Observe(fn) returns an id for Unobserve(id); fn receives the Changes
//              bits after each operation.
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include <opencv2/core.hpp>

#include "base/common.h"
#include "detect/hover.h"
#include "detect/process.h"
#include "detect/thinning.h"
#include "detect/types.h"
#include "document/calibration.h"
#include "document/history.h"
#include "text/label.h"

enum class Axis { X, Y };

// What an operation changed, as bits.
struct Changes {
    enum : unsigned {
        Picture = 1u << 0,      // a new picture (everything else changed too)
        Results = 1u << 1,      // patches, plot area or thresholds
        Graphs = 1u << 2,       // picks or the current graph
        Calibration = 1u << 3,
        Labels = 1u << 4,
        PlotRect = 1u << 5,
        History = 1u << 6,      // a step was recorded, undone or redone
        Derived = 1u << 7,      // thinned curves or hover pictures arrived
        All = ~0u,
    };
};

// The part of the document that Undo and Redo restore.
struct DocumentState {
    Calibration calibration;
    IRect plotRect;
    std::vector<PatchList> graphs{1};
    int currentGraph = 0;
    std::vector<TextLabel> labels;

    bool operator==(const DocumentState& o) const {
        return calibration == o.calibration && plotRect == o.plotRect && graphs == o.graphs &&
               currentGraph == o.currentGraph && labels == o.labels;
    }
    // Rough heap size, for the history's memory budget.
    std::size_t ApproxBytes() const;
};

using ThinnedCurves = std::vector<ColumnMap>;  // one per patch, patch order
using PatchTest = std::function<bool(const Patch&)>;
using Observer = std::function<void(unsigned changes)>;

class Document {
public:
    // Picture.
    void SetPicture(cv::Mat rgb);
    void Revert();
    const cv::Mat& Picture() const { return picture; }
    bool HasPicture() const { return !picture.empty(); }
    int Width() const { return picture.cols; }
    int Height() const { return picture.rows; }

    // Processing results.
    void InstallResults(ProcessResult result, const ProcessSettings& settings);
    const PatchList& Patches() const { return patches; }
    bool Processed() const { return processed; }
    void SetProcessed(bool on) { processed = on; }
    const std::vector<double>& ChannelThresholds() const { return channelThresholds; }
    void AddChannelThresholds(const std::vector<double>& levels);
    const cv::Mat& Binary() const { return binary; }
    // The colour classes of the last pass that found ink, and each ink pixel's class.
    const ClassedInk& Ink() const { return ink; }
    const ProcessSettings& Settings() const { return settings; }

    // Data derived from the patches by the workers.
    int ResultsGeneration() const { return generation; }
    bool AcceptThinned(int generation, ThinnedCurves curves);
    bool AcceptHovers(int generation, HoverMap pictures);
    const ThinnedCurves& Thinned() const { return thinned; }
    const HoverMap& Hovers() const { return hovers; }

    // Graph slots and picks.
    const std::vector<PatchList>& Graphs() const { return state.graphs; }
    int CurrentGraph() const { return state.currentGraph; }
    const PatchList& Selection() const { return state.graphs[size_t(state.currentGraph)]; }
    bool IsSelected(const Patch& patch) const;
    bool HasPicks() const;
    void SelectGraph(int n);
    // Adds, in patch-list order, every patch not in the current graph that passes
    // the test / removes every picked patch that passes it. One step if anything
    // changed; returns the patches concerned.
    PatchList Pick(const PatchTest& touches);
    PatchList Unpick(const PatchTest& touches);

    // Calibration.
    const Calibration& GetCalibration() const { return state.calibration; }
    void SetCalibration(const Calibration& c);
    void StartAxis(Axis axis);
    void ClearAxis(Axis axis);
    void SetAxisPoint(Axis axis, bool second, IPoint p, double value);

    // Text labels.
    const std::vector<TextLabel>& Labels() const { return state.labels; }
    void AddLabels(const std::vector<TextLabel>& found);
    void SelectLabel(size_t index);
    int SelectedLabel() const;  // -1 when none
    // Removes the selected label; false (and no step) when none is selected.
    bool DeleteSelectedLabel(TextLabel* removed = nullptr);
    // False (and no step) when neither the text nor the kinds change.
    bool EditLabel(size_t index, const std::string& text, int kinds);
    void SetLabelLayout(size_t index, const IRect& box, int fontSize);

    // Plot rectangle.
    const IRect& PlotRect() const { return state.plotRect; }
    // Where a whole-curve pick looks: the plot rectangle, normalised, or the whole picture.
    IRect PickArea() const;
    void SetPlotRect(const IRect& r);
    void BeginPlotRectEdit();
    void MovePlotRect(const IRect& r);
    void EndPlotRectEdit();

    // History.
    void RecordStep();
    bool Undo();
    bool Redo();
    bool CanUndo() const { return history.CanUndo(); }
    bool CanRedo() const { return history.CanRedo(); }
    void ClearHistory();
    const DocumentState& State() const { return state; }
    // Replaces the editable state whole, with no history step: opening a saved project.
    void Restore(DocumentState saved);

    // Observers.
    int Observe(Observer fn);
    void Unobserve(int id);

private:
    void Notify(unsigned changes);
    void ResetEdits();
    void SetCalibrationFromLabel(const TextLabel& label, int kind);

    cv::Mat picture;
    PatchList patches;
    std::vector<double> channelThresholds;
    cv::Mat binary;
    ClassedInk ink;
    ProcessSettings settings;
    bool processed = false;
    int generation = 0;
    ThinnedCurves thinned;
    HoverMap hovers;
    DocumentState state;
    EditHistory<DocumentState> history;
    std::map<int, Observer> observers;
    int nextObserver = 0;
};

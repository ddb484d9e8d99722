#include "document/document.h"

#include <algorithm>

#include "document/selection.h"

namespace {
std::size_t PatchBytes(const PatchList& list) {
    std::size_t n = list.size() * sizeof(Patch);
    for (const Patch& p : list) n += p.size() * sizeof(Run);
    return n;
}

int AxisKinds(Axis axis) { return axis == Axis::X ? (LABEL_XMIN | LABEL_XMAX) : (LABEL_YMIN | LABEL_YMAX); }
}  // namespace

std::size_t DocumentState::ApproxBytes() const {
    std::size_t n = sizeof(DocumentState);
    for (const PatchList& g : graphs) n += PatchBytes(g);
    for (const TextLabel& l : labels) n += sizeof(TextLabel) + l.text.size();
    return n;
}

// ---------------------------------------------------------------- picture

void Document::SetPicture(cv::Mat rgb) {
    picture = std::move(rgb);
    ResetEdits();
    Notify(Changes::All);
}

void Document::Revert() {
    ResetEdits();
    Notify(Changes::All & ~Changes::Picture);
}

void Document::ResetEdits() {
    patches.clear();
    channelThresholds.clear();
    binary.release();
    ink = ClassedInk();
    settings = ProcessSettings();
    processed = false;
    ++generation;
    thinned.clear();
    hovers.clear();
    state = DocumentState();
    history.Clear();
}

// ---------------------------------------------------------------- results

void Document::InstallResults(ProcessResult result, const ProcessSettings& used) {
    history.Record(state);
    settings = used;
    processed = true;
    AddChannelThresholds(result.channelThresholds);
    binary = std::move(result.binary);
    const PlotArea& a = result.plotArea;
    state.plotRect = {a.left, a.top, a.right, a.bottom};
    unsigned changes = Changes::Results | Changes::PlotRect | Changes::History;
    if (result.inkFound) {
        ink = std::move(result.ink);
        std::sort(result.patches.begin(), result.patches.end());
        if (result.patches != patches) {
            // Every graph keeps its picks, even patches this pass no longer finds.
            patches = MergeResultsKeepingPicks(std::move(result.patches), state.graphs);
            ++generation;
            thinned.clear();
            hovers.clear();
            changes |= Changes::Graphs | Changes::Derived;
        }
    }
    Notify(changes);
}

void Document::AddChannelThresholds(const std::vector<double>& levels) {
    channelThresholds.insert(channelThresholds.end(), levels.begin(), levels.end());
}

bool Document::AcceptThinned(int gen, ThinnedCurves curves) {
    if (gen != generation) return false;  // made for patches that are gone
    thinned = std::move(curves);
    Notify(Changes::Derived);
    return true;
}

bool Document::AcceptHovers(int gen, HoverMap pictures) {
    if (gen != generation) return false;
    hovers = std::move(pictures);
    Notify(Changes::Derived);
    return true;
}

// ---------------------------------------------------------------- graphs

bool Document::IsSelected(const Patch& patch) const { return Contains(Selection(), patch); }

bool Document::HasPicks() const {
    return std::any_of(state.graphs.begin(), state.graphs.end(), [](const PatchList& g) { return !g.empty(); });
}

void Document::SelectGraph(int n) {
    history.Record(state);
    if (n >= 0) {
        while (size_t(n) >= state.graphs.size()) state.graphs.emplace_back();
        state.currentGraph = n;
    }
    Notify(Changes::Graphs | Changes::History);
}

PatchList Document::Pick(const PatchTest& touches) {
    const DocumentState before = state;
    PatchList& selection = state.graphs[size_t(state.currentGraph)];
    // Membership by value through a sorted view of the picks: a large pick stays fast.
    std::vector<const Patch*> picked;
    picked.reserve(selection.size());
    for (const Patch& p : selection) picked.push_back(&p);
    const auto less = [](const Patch* a, const Patch* b) { return *a < *b; };
    std::sort(picked.begin(), picked.end(), less);
    PatchList added;
    for (const Patch& patch : patches)
        if (!std::binary_search(picked.begin(), picked.end(), &patch, less) && touches(patch)) added.push_back(patch);
    if (added.empty()) return added;
    selection.insert(selection.end(), added.begin(), added.end());
    history.Record(before);
    Notify(Changes::Graphs | Changes::History);
    return added;
}

PatchList Document::Unpick(const PatchTest& touches) {
    const DocumentState before = state;
    PatchList& selection = state.graphs[size_t(state.currentGraph)];
    PatchList removed, kept;
    for (Patch& p : selection) (touches(p) ? removed : kept).push_back(std::move(p));
    selection.swap(kept);
    if (removed.empty()) return removed;
    history.Record(before);
    Notify(Changes::Graphs | Changes::History);
    return removed;
}

// ---------------------------------------------------------------- calibration

void Document::SetCalibration(const Calibration& c) {
    history.Record(state);
    state.calibration = c;
    Notify(Changes::Calibration | Changes::History);
}

void Document::StartAxis(Axis axis) {
    RecordStep();
    ClearAxis(axis);
}

void Document::ClearAxis(Axis axis) {
    Calibration& c = state.calibration;
    if (axis == Axis::X) {
        c.xPixel1 = c.xPixel2 = c.xRow = -1;
    } else {
        c.yPixel1 = c.yPixel2 = c.yColumn = -1;
    }
    const int kinds = AxisKinds(axis);
    for (TextLabel& label : state.labels) label.kind &= ~kinds;
    Notify(Changes::Calibration | Changes::Labels);
}

void Document::SetAxisPoint(Axis axis, bool second, IPoint p, double value) {
    Calibration& c = state.calibration;
    // The first point fixes where the axis's marks stand; the second shares it.
    if (axis == Axis::X) {
        (second ? c.xValue2 : c.xValue1) = value;
        (second ? c.xPixel2 : c.xPixel1) = p.x;
        if (!second) c.xRow = p.y;
    } else {
        (second ? c.yValue2 : c.yValue1) = value;
        (second ? c.yPixel2 : c.yPixel1) = p.y;
        if (!second) c.yColumn = p.x;
    }
    Notify(Changes::Calibration);
}

void Document::SetCalibrationFromLabel(const TextLabel& label, int kind) {
    const bool isX = kind == LABEL_XMIN || kind == LABEL_XMAX;
    const bool second = kind == LABEL_XMAX || kind == LABEL_YMAX;
    // X values sit just below the middle of the label, Y values just right of it; the
    // axis's other point moves onto the same row (X) or column (Y).
    const IPoint p = isX ? IPoint{label.left + label.width / 2, label.top + label.height + 2}
                         : IPoint{label.left + label.width + 2, label.top + label.height / 2};
    Calibration& c = state.calibration;
    const double value = ParseLabelNumber(label.text).value_or(0.0);
    if (isX) {
        (second ? c.xValue2 : c.xValue1) = value;
        (second ? c.xPixel2 : c.xPixel1) = p.x;
        c.xRow = p.y;
    } else {
        (second ? c.yValue2 : c.yValue1) = value;
        (second ? c.yPixel2 : c.yPixel1) = p.y;
        c.yColumn = p.x;
    }
}

// ---------------------------------------------------------------- labels

void Document::AddLabels(const std::vector<TextLabel>& found) {
    history.Record(state);
    state.labels.insert(state.labels.end(), found.begin(), found.end());
    Notify(Changes::Labels | Changes::History);
}

void Document::SelectLabel(size_t index) {
    if (index >= state.labels.size()) return;
    history.Record(state);
    for (TextLabel& l : state.labels) l.selected = false;
    state.labels[index].selected = true;
    Notify(Changes::Labels | Changes::History);
}

int Document::SelectedLabel() const {
    const auto it = std::find_if(state.labels.begin(), state.labels.end(), [](const TextLabel& l) { return l.selected; });
    return it == state.labels.end() ? -1 : int(it - state.labels.begin());
}

bool Document::DeleteSelectedLabel(TextLabel* removed) {
    const int i = SelectedLabel();
    if (i < 0) return false;
    history.Record(state);
    if (removed) *removed = state.labels[size_t(i)];
    state.labels.erase(state.labels.begin() + i);
    Notify(Changes::Labels | Changes::History);
    return true;
}

bool Document::EditLabel(size_t index, const std::string& text, int kinds) {
    if (index >= state.labels.size()) return false;
    if (text == state.labels[index].text && kinds == state.labels[index].kind) return false;
    history.Record(state);
    state.labels[index].text = text;
    // A value kind belongs to one label at a time, and places that calibration point.
    for (int bit : {int(LABEL_XMIN), int(LABEL_XMAX), int(LABEL_YMIN), int(LABEL_YMAX)}) {
        if (!(kinds & bit)) continue;
        for (TextLabel& other : state.labels) other.kind &= ~bit;
        SetCalibrationFromLabel(state.labels[index], bit);
    }
    state.labels[index].kind = kinds;
    Notify(Changes::Labels | Changes::Calibration | Changes::History);
    return true;
}

void Document::SetLabelLayout(size_t index, const IRect& box, int fontSize) {
    if (index >= state.labels.size()) return;
    TextLabel& l = state.labels[index];
    l.boxLeft = box.left;
    l.boxTop = box.top;
    l.boxWidth = box.right - box.left;
    l.boxHeight = box.bottom - box.top;
    l.fontSize = fontSize;
}

// ---------------------------------------------------------------- plot rectangle

IRect Document::PickArea() const {
    return state.plotRect.IsUnset() ? IRect{0, 0, Width(), Height()} : NormalizeRect(state.plotRect);
}

void Document::SetPlotRect(const IRect& r) {
    history.Record(state);
    state.plotRect = r;
    Notify(Changes::PlotRect | Changes::History);
}

void Document::BeginPlotRectEdit() { RecordStep(); }

void Document::MovePlotRect(const IRect& r) {
    state.plotRect = r;
    Notify(Changes::PlotRect);
}

void Document::EndPlotRectEdit() { MovePlotRect(NormalizeRect(state.plotRect)); }

// ---------------------------------------------------------------- history

void Document::RecordStep() {
    history.Record(state);
    Notify(Changes::History);
}

bool Document::Undo() {
    DocumentState target;
    if (!history.Undo(state, target)) return false;
    state = std::move(target);
    Notify(Changes::Graphs | Changes::Calibration | Changes::Labels | Changes::PlotRect | Changes::History);
    return true;
}

bool Document::Redo() {
    DocumentState target;
    if (!history.Redo(target)) return false;
    state = std::move(target);
    Notify(Changes::Graphs | Changes::Calibration | Changes::Labels | Changes::PlotRect | Changes::History);
    return true;
}

void Document::Restore(DocumentState saved) {
    state = std::move(saved);
    if (state.graphs.empty()) state.graphs.resize(1);
    state.currentGraph = std::clamp(state.currentGraph, 0, int(state.graphs.size()) - 1);
    Notify(Changes::Graphs | Changes::Calibration | Changes::Labels | Changes::PlotRect);
}

void Document::ClearHistory() {
    history.Clear();
    Notify(Changes::History);
}

// ---------------------------------------------------------------- observers

int Document::Observe(Observer fn) {
    observers.emplace(nextObserver, std::move(fn));
    return nextObserver++;
}

void Document::Unobserve(int id) { observers.erase(id); }

void Document::Notify(unsigned changes) {
    for (auto& [id, fn] : observers) fn(changes);
}

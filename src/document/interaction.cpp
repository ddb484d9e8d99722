#include "document/interaction.h"

#include <algorithm>
#include <cstdlib>

#include "base/numbers.h"
#include "detect/annotation.h"
#include "detect/class_pick.h"
#include "document/selection.h"

namespace {
constexpr int kEdgeTolerance = 7;

bool Outside(IPoint p, int w, int h) { return p.x > w || p.y > h || p.x < 0 || p.y < 0; }

bool IsXMode(AxisMode m) { return m == AxisMode::XFirst || m == AxisMode::XSecond || m == AxisMode::XDone; }
bool IsYMode(AxisMode m) { return m == AxisMode::YFirst || m == AxisMode::YSecond || m == AxisMode::YDone; }
bool WaitsForClick(AxisMode m) {
    return m == AxisMode::XFirst || m == AxisMode::XSecond || m == AxisMode::YFirst || m == AxisMode::YSecond;
}
bool Inside(const TextLabel& l, IPoint p) {
    return l.boxLeft < p.x && p.x < l.boxLeft + l.boxWidth && l.boxTop < p.y && p.y < l.boxTop + l.boxHeight;
}
}  // namespace

// ---------------------------------------------------------------- left button

void InteractionController::LeftDown(IPoint p, bool control) {
    if (!doc.HasPicture()) return;
    if (SelectLabelAt(p)) {
        labelClicked = true;  // the matching release does nothing
        return;
    }
    if (textMode) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = DragState::LeftPressed;
        return;
    }
    if (WaitsForClick(axisMode)) {
        AxisClick(p);
        return;
    }
    // Axis done but the mouse has not moved yet: an ordinary press.
    axisMode = AxisMode::None;
    edgeMask = HitTestPlotRect(p);
    if (edgeMask != EdgeNone) {
        doc.BeginPlotRectEdit();
        return;
    }
    if (control) {
        doc.BeginPlotRectEdit();
        doc.MovePlotRect({p.x, p.y, p.x, p.y});
        edgeMask = EdgeNewRect;
        return;
    }
    ClickSelect(p);
}

void InteractionController::ClickSelect(IPoint p) {
    const PatchList added = doc.Pick([&](const Patch& patch) { return HitPatch(p, patch, kHitTolerance); });
    if (added.empty() && !doc.Patches().empty()) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = DragState::LeftPressed;
    }
}

void InteractionController::LeftUp() {
    if (labelClicked) {
        labelClicked = false;
        return;
    }
    if (edgeMask != EdgeNone) {
        edgeMask = EdgeNone;
        doc.EndPlotRectEdit();
        return;
    }
    const IRect band = NormalizeRect(rubberBand);
    if (textMode)
        TextAreaRelease();
    else if (dragState == DragState::LeftDragging)
        doc.Pick([&](const Patch& patch) { return LeftBandTouches(patch, band); });
    dragState = DragState::None;
    rubberBand = kNoRect;
}

void InteractionController::LeftDoubleClick(IPoint p, bool control) {
    dragState = DragState::None;
    if (LabelAt(p) >= 0) {
        EditSelectedLabel();
        return;
    }
    // The toolkit reports a quick second click as a double click; away from a label it
    // is an ordinary press, so a fast pick of a second patch is not lost.
    LeftDown(p, control);
}

void InteractionController::TextAreaRelease() {
    if (rubberBand.IsUnset()) return;
    IRect b = NormalizeRect(rubberBand);
    const int width = doc.Width(), height = doc.Height();
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min(b.right, width);
    b.bottom = std::min(b.bottom, height);
    rubberBand = kNoRect;
    const int w = b.right - b.left, h = b.bottom - b.top;
    if (w > 0 && h > 0 && w <= width && h <= height) host.RecogniseArea(b);
}

// ---------------------------------------------------------------- right button

void InteractionController::RightDown(IPoint p) {
    if (textMode || !doc.HasPicture()) return;
    ClickDeselect(p);
}

void InteractionController::ClickDeselect(IPoint p) {
    const PatchList removed = doc.Unpick([&](const Patch& patch) { return HitPatch(p, patch, kHitTolerance); });
    if (removed.empty() && !doc.Patches().empty()) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = DragState::RightPressed;
    }
}

void InteractionController::RightUp() {
    if (dragState == DragState::RightDragging) {
        const IRect band = NormalizeRect(rubberBand);
        doc.Unpick([&](const Patch& patch) { return RightBandTouches(patch, band); });
    }
    dragState = DragState::None;
    rubberBand = kNoRect;
}

PressKind KindOfPress(bool rightButton, bool shift, bool control) {
    if (!shift || (control && !rightButton)) return PressKind::Plain;
    return rightButton ? PressKind::ClassUnpick : PressKind::ClassPick;
}

PatchList InteractionController::ClassPick(IPoint p, bool remove) {
    if (!doc.HasPicture() || textMode || axisMode != AxisMode::None) return {};
    const PatchList& patches = doc.Patches();
    const std::vector<int> classes = PatchClasses(doc.Ink(), patches);
    std::vector<bool> eligible(patches.size(), true);
    if (!remove) {
        // Adding takes the curve's own patches inside the plot area: no legend, no annotation.
        const IRect area = doc.PickArea();
        AnnotationSettings roles;
        roles.oneInkPerClass = doc.Ink().mode == ColourClassing::FromPicture;
        const std::vector<bool> curve =
            CurvePatches(doc.Picture(), patches, classes, {area.left, area.top, area.right, area.bottom}, roles);
        for (size_t i = 0; i < patches.size(); ++i) eligible[i] = i < curve.size() && curve[i] && BoxMeets(patches[i], area);
    }
    const std::vector<bool> chosen = CurveAt(patches, classes, eligible, p, kHitTolerance);
    if (std::find(chosen.begin(), chosen.end(), true) == chosen.end()) return {};
    if (!remove) return doc.Pick([&](const Patch& patch) { return chosen[size_t(&patch - patches.data())]; });
    // The graph holds copies of the patches: they are matched by their runs.
    PatchList curve;
    for (size_t i = 0; i < patches.size(); ++i)
        if (chosen[i]) curve.push_back(patches[i]);
    std::sort(curve.begin(), curve.end());
    return doc.Unpick([&](const Patch& patch) { return std::binary_search(curve.begin(), curve.end(), patch); });
}

// ---------------------------------------------------------------- motion

InteractionController::MotionOutcome InteractionController::Motion(IPoint p, bool leftDown, bool rightDown) {
    MotionOutcome out;
    if (!doc.HasPicture()) return out;
    out.draw = true;
    if (axisMode != AxisMode::None) {
        if (axisMode == AxisMode::XFirst || axisMode == AxisMode::YFirst) crossHair = p;
        if (axisMode == AxisMode::XSecond) crossHair.x = p.x;
        if (axisMode == AxisMode::YSecond) crossHair.y = p.y;
        return out;
    }
    const bool left = dragState == DragState::LeftPressed || dragState == DragState::LeftDragging;
    // A button released outside the window ends its band at the next motion inside.
    if (left && !leftDown) {
        LeftUp();
        return out;
    }
    if (dragState != DragState::None && !left && !rightDown) {
        RightUp();
        return out;
    }
    if (dragState != DragState::None) {
        dragState = left ? DragState::LeftDragging : DragState::RightDragging;
        rubberBand.right = p.x;
        rubberBand.bottom = p.y;
        return out;
    }
    if (edgeMask != EdgeNone) {
        if (textMode || Outside(p, doc.Width(), doc.Height())) return {};
        IRect r = doc.PlotRect();
        switch (edgeMask) {
        case EdgeTop: r.top = p.y; break;
        case EdgeBottom: r.bottom = p.y; break;
        case EdgeLeft: r.left = p.x; break;
        case EdgeRight: r.right = p.x; break;
        case EdgeLeft | EdgeTop: r.left = p.x; r.top = p.y; break;
        case EdgeLeft | EdgeBottom: r.left = p.x; r.bottom = p.y; break;
        case EdgeRight | EdgeTop: r.right = p.x; r.top = p.y; break;
        case EdgeRight | EdgeBottom:
        case EdgeNewRect: r.right = p.x; r.bottom = p.y; break;
        default: break;  // two opposite edges: nothing sensible to move
        }
        doc.MovePlotRect(r);
        return out;
    }
    out.draw = false;
    if (textMode || HitTestPlotRect(p) != EdgeNone) return out;
    out.hoverStage = true;
    out.draw = UpdateHover(p) && LabelAt(p) < 0;
    return out;
}

void InteractionController::Leave() {
    UpdateHover(kNoPoint);
    if (!textMode) {
        LeftUp();
        cursor = Cursor::Arrow;
    }
}

bool InteractionController::UpdateHover(IPoint p) {
    PatchList now;
    if (p != kNoPoint)
        for (const Patch& patch : doc.Patches())
            if (!doc.IsSelected(patch) && !Contains(now, patch) && HitPatch(p, patch, kHitTolerance))
                now.push_back(patch);
    if (now.empty()) {
        if (hovered.empty()) return false;
        hovered.clear();
        return true;
    }
    // Patches still under the pointer keep their place; new ones follow.
    PatchList next;
    for (const Patch& patch : hovered)
        if (Contains(now, patch)) next.push_back(patch);
    for (const Patch& patch : now)
        if (!Contains(hovered, patch)) next.push_back(patch);
    hovered.swap(next);
    return true;
}

// ---------------------------------------------------------------- keys and modes

void InteractionController::KeyDown(Key key) {
    switch (key) {
    case Key::Escape: CancelAxisCalibration(); break;
    case Key::X: StartAxisCalibration(Axis::X); break;
    case Key::Y: StartAxisCalibration(Axis::Y); break;
    case Key::T:
        if (textMode) {
            ExitTextMode();
        } else if (doc.HasPicture()) {
            CancelAxisCalibration();
            StopDrag();
            textMode = true;
            cursor = Cursor::Pencil;
            host.TextModeChanged(true);
        }
        break;
    case Key::Delete: doc.DeleteSelectedLabel(); break;
    case Key::Return: EditSelectedLabel(); break;
    case Key::Other: break;
    }
}

void InteractionController::StopDrag() {
    if (dragState != DragState::None) dragState = DragState::None;
}

unsigned InteractionController::HitTestPlotRect(IPoint p) {
    const IRect r = doc.PlotRect();
    unsigned mask = EdgeNone;
    if (!r.IsUnset()) {
        const int t = kEdgeTolerance;
        if (std::abs(p.x - r.left) <= t && r.top - t <= p.y && p.y <= r.bottom + t) mask |= EdgeLeft;
        if (std::abs(p.x - r.right) <= t && r.top - t <= p.y && p.y <= r.bottom + t) mask |= EdgeRight;
        if (std::abs(p.y - r.top) <= t && r.left - t <= p.x && p.x <= r.right + t) mask |= EdgeTop;
        if (std::abs(p.y - r.bottom) <= t && r.left - t <= p.x && p.x <= r.right + t) mask |= EdgeBottom;
    }
    switch (mask) {
    case EdgeLeft | EdgeBottom:
    case EdgeRight | EdgeTop: cursor = Cursor::SizeNESW; break;
    case EdgeLeft | EdgeTop:
    case EdgeRight | EdgeBottom: cursor = Cursor::SizeNWSE; break;
    case EdgeLeft:
    case EdgeRight: cursor = Cursor::SizeWE; break;
    case EdgeTop:
    case EdgeBottom: cursor = Cursor::SizeNS; break;
    default: cursor = Cursor::Arrow; break;
    }
    if (textMode) cursor = Cursor::Pencil;
    return mask;
}

void InteractionController::SetTextMode(bool on) {
    if (!doc.HasPicture()) return;
    CancelAxisCalibration();
    StopDrag();
    if (on) {
        textMode = true;
        cursor = Cursor::Pencil;
    }
}

void InteractionController::ExitTextMode() {
    textMode = false;
    cursor = Cursor::Arrow;
    host.TextModeChanged(false);
}

void InteractionController::FinishPlotRectDrag() {
    if (edgeMask == EdgeNone) return;
    edgeMask = EdgeNone;
    doc.EndPlotRectEdit();
}

void InteractionController::OverlayDrawn() {
    if (axisMode == AxisMode::XDone || axisMode == AxisMode::YDone) axisMode = AxisMode::None;
}

void InteractionController::Reset() {
    rubberBand = kNoRect;
    dragState = DragState::None;
    edgeMask = EdgeNone;
    labelClicked = false;
    axisMode = AxisMode::None;
    crossHair = kNoPoint;
    hovered.clear();
    ExitTextMode();
}

// ---------------------------------------------------------------- calibration

void InteractionController::StartAxisCalibration(Axis axis, bool cancel) {
    if (!doc.HasPicture()) return;
    if (!cancel) doc.RecordStep();
    if (textMode) ExitTextMode();
    // Only a half-done other axis is discarded; one just finished (before the mouse
    // has moved) keeps its points.
    const AxisMode m = axisMode;
    if (axis == Axis::X) {
        if (m == AxisMode::YFirst || m == AxisMode::YSecond || (cancel && m == AxisMode::YDone)) doc.ClearAxis(Axis::Y);
    } else {
        if (m == AxisMode::XFirst || m == AxisMode::XSecond || (cancel && m == AxisMode::XDone)) doc.ClearAxis(Axis::X);
    }
    doc.ClearAxis(axis);
    axisMode = cancel ? AxisMode::None : axis == Axis::X ? AxisMode::XFirst : AxisMode::YFirst;
    crossHair = axisMode != AxisMode::None ? host.PointerNow() : kNoPoint;
}

void InteractionController::CancelAxisCalibration() {
    if (IsXMode(axisMode)) StartAxisCalibration(Axis::X, true);
    if (IsYMode(axisMode)) StartAxisCalibration(Axis::Y, true);
}

void InteractionController::AxisClick(IPoint p) {
    const AxisMode old = axisMode;
    const bool isX = old == AxisMode::XFirst || old == AxisMode::XSecond;
    const bool second = old == AxisMode::XSecond || old == AxisMode::YSecond;
    const std::string name = std::string(isX ? "X" : "Y") + (second ? "1" : "0");
    const auto value = ParseWholeNumber(host.AskAxisValue(name, second ? "1" : "0"));
    if (!value) {
        host.ShowMessage("No numeric value entered for the axis value, please try again");
    } else {
        axisMode = AxisMode(int(old) + 1);
        doc.SetAxisPoint(isX ? Axis::X : Axis::Y, second, p, *value);
    }
    LeftUp();
}

// ---------------------------------------------------------------- labels

int InteractionController::LabelAt(IPoint p) const {
    const auto& labels = doc.Labels();
    for (size_t i = 0; i < labels.size(); ++i)
        if (Inside(labels[i], p)) return int(i);
    return -1;
}

bool InteractionController::SelectLabelAt(IPoint p) {
    const auto& labels = doc.Labels();
    for (size_t i = 0; i < labels.size(); ++i) {
        if (labels[i].selected || !Inside(labels[i], p)) continue;
        host.LabelCommandsChanged(true);
        doc.SelectLabel(i);
        return true;
    }
    host.LabelCommandsChanged(false);
    return false;
}

void InteractionController::EditSelectedLabel() {
    const int i = doc.SelectedLabel();
    if (i < 0) return;
    std::string text = doc.Labels()[size_t(i)].text;
    int kinds = doc.Labels()[size_t(i)].kind;
    host.EditLabelDialog(text, kinds);
    doc.EditLabel(size_t(i), text, kinds);
}

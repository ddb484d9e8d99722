// Mouse, keyboard and cursor events of the canvas, handed to the interaction
// controller in image coordinates; after each, the overlay is brought up to date.
#include "canvas/ScrolledImageComponent.h"

#include "output/mapping.h"
#include "ui/UiSeam.h"
#include "ui/guidance.h"

namespace {
Key KeyOf(int code) {
    switch (code) {
    case WXK_ESCAPE: return Key::Escape;
    case 'X':
    case 'x': return Key::X;
    case 'Y':
    case 'y': return Key::Y;
    case 'T':
    case 't': return Key::T;
    case WXK_DELETE: return Key::Delete;
    case WXK_RETURN: return Key::Return;
    default: return Key::Other;
    }
}

wxStockCursor StockCursor(Cursor c) {
    switch (c) {
    case Cursor::SizeNS: return wxCURSOR_SIZENS;
    case Cursor::SizeWE: return wxCURSOR_SIZEWE;
    case Cursor::SizeNWSE: return wxCURSOR_SIZENWSE;
    case Cursor::SizeNESW: return wxCURSOR_SIZENESW;
    case Cursor::Pencil: return wxCURSOR_PENCIL;
    case Cursor::Arrow: break;
    }
    return wxCURSOR_ARROW;
}
}  // namespace

void ScrolledImageComponent::ApplyCursor() {
    const int kind = StockCursor(controller.CursorShape());
    if (kind == cursorKind) return;
    cursorKind = kind;
    SetCursor(wxCursor(wxStockCursor(kind)));
}

void ScrolledImageComponent::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    if (!HasImage()) return;
    if (KindOfPress(false, event.ShiftDown(), event.ControlDown()) == PressKind::ClassPick) {
        controller.ClassPick(GetImagePosition(event), false);
        DrawOverlaysNow();
        return;
    }
    controller.LeftDown(GetImagePosition(event), event.ControlDown());
    ApplyCursor();
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnLeftUp(wxMouseEvent&) {
    controller.LeftUp();
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnLeftDClick(wxMouseEvent& event) {
    if (!HasImage()) return;
    controller.LeftDoubleClick(GetImagePosition(event), event.ControlDown());
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnRightDown(wxMouseEvent& event) {
    SetFocus();
    if (KindOfPress(true, event.ShiftDown(), event.ControlDown()) == PressKind::ClassUnpick && HasImage()) {
        controller.ClassPick(GetImagePosition(event), true);
        DrawOverlaysNow();
        return;
    }
    controller.RightDown(GetImagePosition(event));
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnRightUp(wxMouseEvent&) {
    controller.RightUp();
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnMotion(wxMouseEvent& event) {
    if (FindFocus() != this) SetFocus();
    const IPoint p = GetImagePosition(event);
    UpdateStatusReadout(p);
    if (!HasImage()) return;
    const PatchList hoveredBefore = controller.Hovered();
    const auto outcome = controller.Motion(p, event.LeftIsDown(), event.RightIsDown());
    ApplyCursor();
    if (controller.Hovered() != hoveredBefore) RefreshHover(hoveredBefore);
    bool draw = outcome.draw;
    if (outcome.hoverStage && readout.showValueMarkers && UpdateValueMarkers(p)) draw = true;
    if (draw) DrawOverlaysNow();
}

void ScrolledImageComponent::OnLeave(wxMouseEvent&) {
    UpdateValueMarkers(kNoPoint);
    const PatchList hoveredBefore = controller.Hovered();
    controller.Leave();
    if (controller.Hovered() != hoveredBefore) RefreshHover(hoveredBefore);
    UpdateStatusReadout(kNoPoint);
    if (!controller.TextMode()) {
        DrawOverlaysNow();
        ApplyCursor();
    }
}

void ScrolledImageComponent::OnKeyDown(wxKeyEvent& event) {
    // Keys with Ctrl or Alt are the window's shortcuts (Ctrl+C copies), not canvas keys.
    if (event.GetModifiers() & (wxMOD_CONTROL | wxMOD_ALT)) {
        event.Skip();
        return;
    }
    if ((event.GetKeyCode() == 'A' || event.GetKeyCode() == 'a') && !event.HasAnyModifiers() && HasImage() &&
        events.calibrateFromLabels) {
        events.calibrateFromLabels();
        return;
    }
    controller.KeyDown(KeyOf(event.GetKeyCode()));
    ApplyCursor();
    DrawOverlaysNow();
}

void ScrolledImageComponent::OnSetCursor(wxSetCursorEvent& event) {
    if (controller.TextMode())
        event.SetCursor(wxCursor(wxCURSOR_PENCIL));
    else
        event.Skip();
}

void ScrolledImageComponent::UpdateStatusReadout(IPoint p) {
    if (!events.status) return;
    // While a mode waits for the pointer, the status bar keeps saying what to do.
    const AxisMode m = controller.Mode();
    if (controller.TextMode() || m == AxisMode::XFirst || m == AxisMode::XSecond || m == AxisMode::YFirst ||
        m == AxisMode::YSecond)
        return;
    if (p == kNoPoint) {
        events.status(wxString());
        return;
    }
    std::string text = StatusReadout(doc.GetCalibration(), readout, p);
    // A logarithmic axis with a reference value at or below zero maps nothing: say why.
    const Calibration& c = doc.GetCalibration();
    const int bits = CheckCalibration(c);
    for (const auto& problem :
         {bits & CAL_X_UNSET ? std::nullopt : LogAxisCalibrationProblem(Axis::X, c.xValue1, c.xValue2, readout.logX),
          bits & CAL_Y_UNSET ? std::nullopt : LogAxisCalibrationProblem(Axis::Y, c.yValue1, c.yValue2, readout.logY)})
        if (problem) text += " - " + *problem;
    events.status(Wide(text));
}

void ScrolledImageComponent::ReportMode() {
    const AxisMode m = controller.Mode();
    if (m == modeShown && controller.TextMode() == textModeShown) return;
    modeShown = m;
    textModeShown = controller.TextMode();
    if (events.mode) events.mode(m, textModeShown);
}

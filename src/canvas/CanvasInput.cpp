// Mouse, keyboard and cursor events of the canvas, handed to the interaction
// controller in image coordinates; after each, the overlay is brought up to date.
#include "canvas/ScrolledImageComponent.h"

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
    events.status(p == kNoPoint ? wxString() : wxString::FromUTF8(StatusReadout(doc.GetCalibration(), readout, p).c_str()));
}

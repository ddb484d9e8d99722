// Mouse, keyboard and cursor routing of the canvas, and the interaction modes.
#include "canvas/ScrolledImageComponent.h"

#include "app/CurvetapApp.h"
#include "canvas/selection.h"

void ScrolledImageComponent::OnLeftDown(wxMouseEvent& event) { event.Skip(); }
void ScrolledImageComponent::OnLeftUp(wxMouseEvent&) {}
void ScrolledImageComponent::OnLeftDClick(wxMouseEvent&) {}
void ScrolledImageComponent::OnRightDown(wxMouseEvent&) {}
void ScrolledImageComponent::OnRightUp(wxMouseEvent&) {}
void ScrolledImageComponent::OnMotion(wxMouseEvent&) {}
void ScrolledImageComponent::OnLeave(wxMouseEvent&) {}
void ScrolledImageComponent::OnKeyDown(wxKeyEvent&) {}
void ScrolledImageComponent::OnSetCursor(wxSetCursorEvent& event) { event.Skip(); }
void ScrolledImageComponent::StartAxisCalibration(bool, bool) {}
void ScrolledImageComponent::CancelAxisCalibration() {}
void ScrolledImageComponent::ResetAxis(bool isX) {
    axisMode = 0;
    crossHair = crossHairDrawn = kNoPoint;
    if (isX) {
        calib.x1 = calib.x2 = kNoPoint;
        calib.x1Set = calib.x2Set = false;
    } else {
        calib.y1 = calib.y2 = kNoPoint;
        calib.y1Set = calib.y2Set = false;
    }
    redrawAxisMarks = redrawLabels = redrawSelection = true;
}
void ScrolledImageComponent::GetAxisCalibration(double& xValue1, int& xPixel1, double& xValue2, int& xPixel2,
                                                double& yValue1, int& yPixel1, double& yValue2, int& yPixel2) const {
    xValue1 = calib.xValue1;
    xPixel1 = calib.x1.x;
    xValue2 = calib.xValue2;
    xPixel2 = calib.x2.x;
    yValue1 = calib.yValue1;
    yPixel1 = calib.y1.y;
    yValue2 = calib.yValue2;
    yPixel2 = calib.y2.y;
}
bool ScrolledImageComponent::HitTestLabels(IPoint, bool) { return false; }
void ScrolledImageComponent::DeleteSelectedLabel() {}
void ScrolledImageComponent::EditSelectedLabel() {}
void ScrolledImageComponent::SetTextMode(bool on) {
    if (!HasImage()) return;
    textMode = on;
}
void ScrolledImageComponent::ExitTextMode() {
    textMode = false;
    SetCursor(wxCursor(wxCURSOR_ARROW));
    wxGetApp().SetOcrMode(false);
}
void ScrolledImageComponent::UpdateStatusReadout(IPoint) {}
int ScrolledImageComponent::HitTestPlotRect(IPoint) { return 0; }
void ScrolledImageComponent::UpdateValueTextBoxes() {}
void ScrolledImageComponent::DrawOverlays(wxDC&) {}

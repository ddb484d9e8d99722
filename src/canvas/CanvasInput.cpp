// Mouse, keyboard and cursor routing of the canvas, the interaction modes,
// axis calibration and the status readout.
#include "canvas/ScrolledImageComponent.h"

#include <wx/utils.h>

#include <algorithm>
#include <cstdlib>

#include "app/CurvetapApp.h"
#include "base/numbers.h"
#include "document/selection.h"
#include "output/mapping.h"
#include "text/LabelDialog.h"
#include "ui/UiSeam.h"

namespace {
bool Outside(IPoint p, int w, int h) { return p.x > w || p.y > h || p.x < 0 || p.y < 0; }
}  // namespace

// ---------------------------------------------------------------- left button

void ScrolledImageComponent::OnLeftDown(wxMouseEvent& event) {
    SetFocus();
    if (!HasImage()) return;
    const IPoint p = GetImagePosition(event);
    if (HitTestLabels(p, true)) {
        redrawLabels = labelClicked = true;
        return;
    }
    if (textMode) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = 1;
        return;
    }
    if (axisMode == 1 || axisMode == 2 || axisMode == 4 || axisMode == 5) {
        AxisClick(p);
        return;
    }
    // Axis done (modes 3 and 6) but the mouse has not moved yet: treat as a normal press.
    if (axisMode != 0) {
        axisMode = 0;
        DrawOverlaysNow();
    }
    edgeMask = HitTestPlotRect(p);
    if (edgeMask != 0) {
        CommitSelection();
        return;
    }
    if (event.ControlDown()) {
        CommitSelection();
        RefreshFigure(plotRectDrawn);
        plotRect = {p.x, p.y, p.x, p.y};
        edgeMask = 0x10;
        return;
    }
    ClickSelect(p);
}

void ScrolledImageComponent::ClickSelect(IPoint p) {
    const EditState before = BuildEditState();
    const PatchList added = AddToSelection([&](const Patch& patch) { return HitPatch(p, patch, hitTolerance); });
    if (!added.empty()) {
        SelectionChanged(before, added);
    } else if (!patches.empty()) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = 1;
    }
}

PatchList ScrolledImageComponent::AddToSelection(const std::function<bool(const Patch&)>& touches) {
    PatchList added;
    for (const Patch& patch : patches) {
        if (Contains(working, patch) || !touches(patch)) continue;
        working.push_back(patch);
        added.push_back(patch);
    }
    return added;
}

PatchList ScrolledImageComponent::RemoveFromSelection(const std::function<bool(const Patch&)>& touches) {
    PatchList removed;
    for (auto it = working.begin(); it != working.end();) {
        if (touches(*it)) {
            removed.push_back(*it);
            it = working.erase(it);
        } else {
            ++it;
        }
    }
    return removed;
}

void ScrolledImageComponent::SelectionChanged(const EditState& before, const PatchList& changed) {
    CommitSelection(before);
    redrawSelection = true;
    dirtyBox = RunsBoundingBox(changed, 1);
    RefreshImageBox(Widen(dirtyBox, 2));
}

void ScrolledImageComponent::OnLeftUp(wxMouseEvent&) { LeftRelease(); }

void ScrolledImageComponent::LeftRelease() {
    if (labelClicked) {
        labelClicked = false;
        return;
    }
    const IRect band = NormalizeRect(rubberBand);
    if (edgeMask != 0) {
        edgeMask = 0;
        plotRect = NormalizeRect(plotRect);
        dirtyBox = plotRect;
        RefreshFigure(plotRectDrawn);
        RefreshFigure(plotRect);
        return;
    }
    if (textMode) {
        TextAreaRelease();
    } else if (dragState == 2) {
        RefreshImageBox({band.left - 1, band.top - 1, band.right + 1, band.bottom + 1});
        const EditState before = BuildEditState();
        const PatchList added = AddToSelection([&](const Patch& patch) { return LeftBandTouches(patch, band); });
        if (!added.empty()) SelectionChanged(before, added);
    }
    dragState = 0;
    RefreshFigure(rubberBandDrawn);
    rubberBand = rubberBandDrawn = kNoRect;
}

void ScrolledImageComponent::OnLeftDClick(wxMouseEvent& event) {
    dragState = 0;
    if (HitTestLabels(GetImagePosition(event), false)) {
        EditSelectedLabel();
        return;
    }
    // The toolkit reports a quick second click as a double click; away from a label it
    // is an ordinary press, so a fast pick of a second patch is not lost.
    OnLeftDown(event);
}

// ---------------------------------------------------------------- right button

void ScrolledImageComponent::OnRightDown(wxMouseEvent& event) {
    SetFocus();
    if (textMode || !HasImage()) return;
    ClickDeselect(GetImagePosition(event));
}

void ScrolledImageComponent::ClickDeselect(IPoint p) {
    const EditState before = BuildEditState();
    const PatchList removed =
        RemoveFromSelection([&](const Patch& patch) { return HitPatch(p, patch, hitTolerance); });
    if (!removed.empty()) {
        redrawValueMarkers = true;
        SelectionChanged(before, removed);
    } else if (!patches.empty()) {
        rubberBand = {p.x, p.y, p.x, p.y};
        dragState = 3;
    }
}

void ScrolledImageComponent::OnRightUp(wxMouseEvent&) { RightRelease(); }

void ScrolledImageComponent::RightRelease() {
    if (dragState != 4) {
        dragState = 0;
        RefreshFigure(rubberBandDrawn);
        rubberBand = rubberBandDrawn = kNoRect;
        return;
    }
    const IRect band = NormalizeRect(rubberBand);
    RefreshImageBox({band.left - 1, band.top - 1, band.right + 1, band.bottom + 1});
    const EditState before = BuildEditState();
    const PatchList removed = RemoveFromSelection([&](const Patch& patch) { return RightBandTouches(patch, band); });
    if (!removed.empty()) SelectionChanged(before, removed);
    RefreshFigure(rubberBandDrawn);
    rubberBand = rubberBandDrawn = kNoRect;
    dirtyBox = plotRect;
    redrawSelection = true;
    dragState = 0;
    RefreshFigure(plotRect);
}

// ---------------------------------------------------------------- motion

void ScrolledImageComponent::OnMotion(wxMouseEvent& event) {
    if (FindFocus() != this) SetFocus();
    const IPoint p = GetImagePosition(event);
    UpdateStatusReadout(p);
    if (!HasImage()) return;
    const bool outside = Outside(p, imageWidth, imageHeight);
    if (axisMode != 0) {
        if (axisMode == 1 || axisMode == 4) crossHair = p;
        if (axisMode == 2) crossHair.x = p.x;
        if (axisMode == 5) crossHair.y = p.y;
        DrawOverlaysNow();
        return;
    }
    if (!event.LeftIsDown() && (dragState == 1 || dragState == 2)) {
        LeftRelease();
        return;
    }
    if (!event.RightIsDown() && (dragState == 3 || dragState == 4)) {
        RightRelease();
        return;
    }
    if (dragState != 0) {
        dragState = dragState <= 2 ? 2 : 4;
        rubberBand.right = p.x;
        rubberBand.bottom = p.y;
        DrawOverlaysNow();
        return;
    }
    if (edgeMask != 0) {
        if (textMode || outside) return;
        switch (edgeMask) {
        case 1: plotRect.top = p.y; break;
        case 2: plotRect.bottom = p.y; break;
        case 4: plotRect.left = p.x; break;
        case 8: plotRect.right = p.x; break;
        case 5: plotRect.left = p.x; plotRect.top = p.y; break;
        case 6: plotRect.left = p.x; plotRect.bottom = p.y; break;
        case 9: plotRect.right = p.x; plotRect.top = p.y; break;
        case 10:
        case 0x10: plotRect.right = p.x; plotRect.bottom = p.y; break;
        default: break;  // two opposite edges: nothing sensible to move
        }
        DrawOverlaysNow();
        return;
    }
    if (textMode) return;
    if (HitTestPlotRect(p) != 0) return;
    bool draw = false;
    if (UpdateHover(p) && !HitTestLabels(p, false)) draw = redrawHover = true;
    if (showValueMarkers && UpdateValueMarkers(p)) draw = redrawValueMarkers = true;
    if (draw) DrawOverlaysNow();
}

void ScrolledImageComponent::OnLeave(wxMouseEvent&) {
    UpdateValueMarkers(kNoPoint);
    UpdateHover(kNoPoint);
    UpdateStatusReadout(kNoPoint);
    if (!textMode) {
        LeftRelease();
        DrawOverlaysNow();
        UseCursor(wxCURSOR_ARROW);
    }
}

// ---------------------------------------------------------------- keys and cursor

void ScrolledImageComponent::OnKeyDown(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE: CancelAxisCalibration(); break;
    case 'X':
    case 'x': StartAxisCalibration(true, false); break;
    case 'Y':
    case 'y': StartAxisCalibration(false, false); break;
    case 'A':
    case 'a':
        if (HasImage()) wxGetApp().CalibrateFromLabels(false);
        break;
    case 'T':
    case 't':
        if (textMode) {
            ExitTextMode();
        } else if (HasImage()) {
            CancelAxisCalibration();
            if (dragState != 0) {
                dragState = 0;
                RefreshFigure(rubberBandDrawn);
            }
            textMode = true;
            UseCursor(wxCURSOR_PENCIL);
            wxGetApp().SetOcrMode(true);
        }
        break;
    case WXK_DELETE: DeleteSelectedLabel(); break;
    case WXK_RETURN: EditSelectedLabel(); break;
    default: break;
    }
}

void ScrolledImageComponent::OnSetCursor(wxSetCursorEvent& event) {
    if (textMode)
        event.SetCursor(wxCursor(wxCURSOR_PENCIL));
    else
        event.Skip();
}

int ScrolledImageComponent::HitTestPlotRect(IPoint p) {
    const IRect r = plotRect;
    int mask = 0;
    if (!r.IsUnset()) {
        if (std::abs(p.x - r.left) <= 7 && r.top - 7 <= p.y && p.y <= r.bottom + 7) mask |= 4;
        if (std::abs(p.x - r.right) <= 7 && r.top - 7 <= p.y && p.y <= r.bottom + 7) mask |= 8;
        if (std::abs(p.y - r.top) <= 7 && r.left - 7 <= p.x && p.x <= r.right + 7) mask |= 1;
        if (std::abs(p.y - r.bottom) <= 7 && r.left - 7 <= p.x && p.x <= r.right + 7) mask |= 2;
    }
    wxStockCursor cursor = wxCURSOR_ARROW;
    if (mask == 6 || mask == 9) cursor = wxCURSOR_SIZENESW;
    else if (mask == 5 || mask == 10) cursor = wxCURSOR_SIZENWSE;
    else if (mask == 4 || mask == 8) cursor = wxCURSOR_SIZEWE;
    else if (mask == 1 || mask == 2) cursor = wxCURSOR_SIZENS;
    if (textMode) cursor = wxCURSOR_PENCIL;
    UseCursor(cursor);
    return mask;
}

// ---------------------------------------------------------------- text mode

void ScrolledImageComponent::SetTextMode(bool on) {
    if (!HasImage()) return;
    CancelAxisCalibration();
    if (dragState != 0) {
        dragState = 0;
        RefreshFigure(rubberBandDrawn);
    }
    if (on) {
        textMode = true;
        UseCursor(wxCURSOR_PENCIL);
    }
}

void ScrolledImageComponent::ExitTextMode() {
    textMode = false;
    UseCursor(wxCURSOR_ARROW);
    if (wxTheApp) wxGetApp().SetOcrMode(false);
}

void ScrolledImageComponent::TextAreaRelease() {
    if (rubberBand.IsUnset()) return;
    IRect b = NormalizeRect(rubberBand);
    RefreshImageBox({b.left - 1, b.top - 1, b.right + 1, b.bottom + 1});
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min(b.right, imageWidth);
    b.bottom = std::min(b.bottom, imageHeight);
    RefreshFigure(rubberBandDrawn);
    rubberBand = rubberBandDrawn = kNoRect;
    const int w = b.right - b.left, h = b.bottom - b.top;
    if (w > 0 && h > 0 && w <= imageWidth && h <= imageHeight) wxGetApp().RecogniseArea(b.left, b.top, w, h);
}

// ---------------------------------------------------------------- calibration

void ScrolledImageComponent::StartAxisCalibration(bool isX, bool cancel) {
    if (!HasImage()) return;
    if (!cancel) CommitSelection();
    if (textMode) ExitTextMode();
    // Only a half-done other axis is discarded; one just finished (mode 3 or 6, before
    // the mouse has moved) keeps its points.
    if (isX) {
        if (axisMode == 4 || axisMode == 5 || (cancel && axisMode == 6)) ResetAxis(false);
        ResetAxis(true);
        axisMode = cancel ? 0 : 1;
    } else {
        if (axisMode == 1 || axisMode == 2 || (cancel && axisMode == 3)) ResetAxis(true);
        ResetAxis(false);
        axisMode = cancel ? 0 : 4;
    }
    fullRepaintDone = false;
    crossHairDrawn = kNoPoint;
    crossHair = axisMode != 0 ? WindowToImage(ScreenToClient(wxGetMousePosition())) : kNoPoint;
    DrawOverlaysNow();
}

void ScrolledImageComponent::CancelAxisCalibration() {
    if (axisMode >= 1 && axisMode <= 3) StartAxisCalibration(true, true);
    if (axisMode >= 4 && axisMode <= 6) StartAxisCalibration(false, true);
}

void ScrolledImageComponent::ResetAxis(bool isX) {
    RefreshCrossStrips();
    redrawAxisMarks = redrawLabels = redrawSelection = true;
    crossHair = crossHairDrawn = kNoPoint;
    axisMode = 0;
    RefreshAxisMarks(isX);
    if (isX) {
        valueTextBoxes[0] = valueTextBoxes[1] = kNoRect;
        calib.x1 = calib.x2 = kNoPoint;
        calib.x1Set = calib.x2Set = false;
    } else {
        valueTextBoxes[2] = valueTextBoxes[3] = kNoRect;
        calib.y1 = calib.y2 = kNoPoint;
        calib.y1Set = calib.y2Set = false;
    }
    const int kinds = isX ? (LABEL_XMIN | LABEL_XMAX) : (LABEL_YMIN | LABEL_YMAX);
    for (TextLabel& label : textLabels) label.kind &= ~kinds;
}

void ScrolledImageComponent::AxisClick(IPoint p) {
    const int old = axisMode;
    const char* name = old == 1 ? "X0" : old == 2 ? "X1" : old == 4 ? "Y0" : "Y1";
    ++axisMode;
    const wxString text = Ui().AskText(name, wxString("Enter ") + name, (old == 1 || old == 4) ? "0" : "1", nullptr);
    const auto value = ParseWholeNumber(text.utf8_string());
    if (!value) {
        ShowInfo("No numeric value entered for the axis value, please try again");
        axisMode = old;
    } else {
        const double v = *value;
        switch (old) {
        case 1:
            calib.xValue1 = v;
            calib.x1 = p;
            calib.x2.y = p.y;
            calib.x1Set = true;
            break;
        case 2:
            calib.xValue2 = v;
            calib.x2.x = p.x;
            calib.x2.y = calib.x1.y;
            calib.x2Set = true;
            break;
        case 4:
            calib.yValue1 = v;
            calib.y1 = p;
            calib.y2.x = p.x;
            calib.y1Set = true;
            break;
        default:
            calib.yValue2 = v;
            calib.y2.y = p.y;
            calib.y2.x = calib.y1.x;
            calib.y2Set = true;
            break;
        }
        redrawAxisMarks = true;
    }
    LeftRelease();
    RefreshCrossStrips();
    crossHairDrawn = kNoPoint;
    UpdateStatusReadout(p);
    UpdateValueTextBoxes();
    RefreshAxisMarks(old == 1 || old == 2);
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

// ---------------------------------------------------------------- readout

void ScrolledImageComponent::UpdateStatusReadout(IPoint p) {
    if (!wxTheApp) return;
    if (p == kNoPoint) {
        wxGetApp().SetStatusText(wxEmptyString, 0);
        return;
    }
    const std::string cursor = "Cursor: (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
    std::string vx, vy;
    if (!AxisValues(p.x, p.y, "%g", vx, vy)) {
        wxGetApp().SetStatusText(cursor, 0);
        return;
    }
    wxGetApp().SetStatusText(Wide("Values: (" + vx + ", " + vy + "); " + cursor), 0);
}

// ---------------------------------------------------------------- labels

bool ScrolledImageComponent::HitTestLabels(IPoint p, bool select) {
    auto inside = [&](const TextLabel& l) {
        return l.boxLeft < p.x && p.x < l.boxLeft + l.boxWidth && l.boxTop < p.y && p.y < l.boxTop + l.boxHeight;
    };
    if (!select) return std::any_of(textLabels.begin(), textLabels.end(), inside);
    for (size_t i = 0; i < textLabels.size(); ++i) {
        if (textLabels[i].selected || !inside(textLabels[i])) continue;
        wxGetApp().EnableLabelCommands(true);
        CommitSelection();
        for (TextLabel& l : textLabels) {
            if (l.boxWidth > 0) RefreshImageBox({l.boxLeft - 1, l.boxTop - 1, l.boxLeft + l.boxWidth + 1, l.boxTop + l.boxHeight + 1});
            l.selected = false;
        }
        textLabels[i].selected = true;
        return true;
    }
    wxGetApp().EnableLabelCommands(false);
    return false;
}

void ScrolledImageComponent::DeleteSelectedLabel() {
    auto it = std::find_if(textLabels.begin(), textLabels.end(), [](const TextLabel& l) { return l.selected; });
    if (it == textLabels.end()) return;
    CommitSelection();
    const TextLabel gone = *it;
    textLabels.erase(it);
    RefreshImageBox({gone.boxLeft - 1, gone.boxTop - 1, gone.boxLeft + gone.boxWidth + 1, gone.boxTop + gone.boxHeight + 1});
    wxGetApp().StoreTextLabels(textLabels);
}

void ScrolledImageComponent::EditSelectedLabel() {
    auto it = std::find_if(textLabels.begin(), textLabels.end(), [](const TextLabel& l) { return l.selected; });
    if (it == textLabels.end()) return;
    const size_t index = size_t(it - textLabels.begin());
    LabelDialog dialog(this, it->text, it->kind);
    Ui().ShowModal(dialog);  // after Cancel the dialog hands back what it was opened with
    const std::string text = dialog.Text();
    const int kinds = dialog.Kinds();
    if (text == textLabels[index].text && kinds == textLabels[index].kind) return;
    CommitSelection();
    textLabels[index].text = text;
    RefreshAxisMarks(true);
    RefreshAxisMarks(false);
    for (int bit : {int(LABEL_XMIN), int(LABEL_XMAX), int(LABEL_YMIN), int(LABEL_YMAX)}) {
        if (!(kinds & bit)) continue;
        for (TextLabel& other : textLabels) other.kind &= ~bit;
        SetLabelCalibration(textLabels[index], bit);
    }
    UpdateValueTextBoxes();
    RefreshAxisMarks(true);
    RefreshAxisMarks(false);
    redrawAxisMarks = true;
    TextLabel& label = textLabels[index];
    label.kind = kinds;
    RefreshImageBox({0, label.boxTop - 1, imageWidth, label.boxTop + label.boxHeight + 1});
    wxGetApp().StoreTextLabels(textLabels);
}

void ScrolledImageComponent::SetLabelCalibration(const TextLabel& label, int kind) {
    const bool isX = kind == LABEL_XMIN || kind == LABEL_XMAX;
    const bool first = kind == LABEL_XMIN || kind == LABEL_YMIN;
    if (!isX && kind != LABEL_YMIN && kind != LABEL_YMAX) return;
    IPoint& point = isX ? (first ? calib.x1 : calib.x2) : (first ? calib.y1 : calib.y2);
    IPoint& other = isX ? (first ? calib.x2 : calib.x1) : (first ? calib.y2 : calib.y1);
    double& value = isX ? (first ? calib.xValue1 : calib.xValue2) : (first ? calib.yValue1 : calib.yValue2);
    bool& set = isX ? (first ? calib.x1Set : calib.x2Set) : (first ? calib.y1Set : calib.y2Set);
    const bool otherSet = isX ? (first ? calib.x2Set : calib.x1Set) : (first ? calib.y2Set : calib.y1Set);
    const int x = label.left, y = label.top, w = label.width, h = label.height;
    // X values sit just below the middle of the label, Y values just right of it; the
    // axis's other point is moved onto the same row (X) or column (Y).
    point = isX ? IPoint{x + w / 2, y + h + 2} : IPoint{x + w + 2, y + h / 2};
    value = ParseLabelNumber(label.text).value_or(0.0);
    set = true;
    if (otherSet) (isX ? other.y : other.x) = isX ? point.y : point.x;
}

void ScrolledImageComponent::UseCursor(wxStockCursor kind) {
    cursorKind = kind;
    SetCursor(wxCursor(kind));
}

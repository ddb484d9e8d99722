// The overlay drawn above the picture: selected runs, axis marks, the plot-area
// rectangle, the rubber band and the calibration cross-hair.
//
// Figures that follow the mouse are drawn plainly in the paint handler; when one
// moves, the outline it occupied and the one it will occupy are repainted (thin
// strips only), so it leaves no trace and appears exactly once. This replaces an
// exclusive-or raster operation, which the cairo-based toolkit does not provide.
#include "canvas/ScrolledImageComponent.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <cstring>
#include <cmath>

#include "app/CurvetapApp.h"
#include "base/numbers.h"
#include "document/selection.h"
#include "detect/hover.h"

wxString ScrolledImageComponent::AxisValueText(double v) const { return Wide(FormatDouble("%g", v)); }

void ScrolledImageComponent::DrawCrossLines(wxDC& dc, IPoint p) {
    dc.DrawLine(p.x, 0, p.x, imageHeight);
    dc.DrawLine(0, p.y, imageWidth, p.y);
}

void ScrolledImageComponent::DrawOverlays(wxDC& dc) {
    if (!displayImage.IsOk()) return;
    redrawSelection = false;
    dc.SetPen(selectionPen);
    for (const Patch& patch : working)
        for (const Run& run : patch) {
            const int lo = std::min(run.row1, run.row2), hi = std::max(run.row1, run.row2);
            dc.DrawLine(run.col, hi, run.col, lo == hi ? lo + 1 : lo);
        }

    // Highlights of the unselected patches under the mouse (white is transparent).
    redrawHover = false;
    for (const Patch& patch : hovered) {
        const IRect box = PatchBoundingBox(patch);
        const int key = HoverKey(box, imageHeight, imageWidth);
        auto found = hoverBitmaps.find(key);
        if (found == hoverBitmaps.end()) {
            const auto pictures = hoverTable.find(key);
            if (pictures == hoverTable.end()) continue;  // not computed yet
            std::vector<wxBitmap> bitmaps;
            for (const cv::Mat& picture : pictures->second) {
                wxImage img(picture.cols, picture.rows, false);
                for (int y = 0; y < picture.rows; ++y)
                    std::memcpy(img.GetData() + size_t(y) * picture.cols * 3, picture.ptr(y), size_t(picture.cols) * 3);
                img.SetMaskColour(255, 255, 255);
                bitmaps.emplace_back(img);
            }
            found = hoverBitmaps.emplace(key, std::move(bitmaps)).first;
        }
        for (const wxBitmap& bitmap : found->second) dc.DrawBitmap(bitmap, box.left - kHoverMargin, box.top - kHoverMargin, true);
    }

    // Value markers, where their point lies on a drawn selected run.
    redrawValueMarkers = false;
    if (!valueMarkers.empty() && ChooseMarkerFont(dc)) {
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBackgroundMode(wxBRUSHSTYLE_SOLID);
        dc.SetTextBackground(wxColour(255, 255, 224));
        dc.SetTextForeground(*wxBLACK);
        const int m = int(4 / zoom);
        for (const ValueMarker& marker : valueMarkers) {
            if (!OnSelectedRun(marker.col, marker.row)) continue;
            const wxString text = Wide(marker.text);
            wxCoord tw = 0, th = 0;
            dc.GetTextExtent(text, &tw, &th);
            dc.DrawEllipse(marker.col - 4, marker.row - 4, 8, 8);
            dc.DrawText(text, std::max(0, marker.col - 5 - tw - m), std::max(0, marker.row - 5 - th - m));
        }
        dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    }

    redrawAxisMarks = false;
    dc.SetFont(axisFont);
    dc.SetTextForeground(wxColour(0, 0, 255));
    dc.SetPen(wxPen(wxColour(0, 0, 255), 1, wxPENSTYLE_SOLID));
    if (calib.x1Set) dc.DrawText(AxisValueText(calib.xValue1), calib.x1.x, calib.x1.y - 2);
    if (calib.x2Set) dc.DrawText(AxisValueText(calib.xValue2), calib.x2.x, calib.x2.y - 2);
    if (calib.x1Set && calib.x2Set) {
        dc.DrawLine(calib.x1.x, calib.x1.y, calib.x2.x, calib.x2.y);
        dc.DrawLine(calib.x1.x, calib.x1.y - 5, calib.x1.x, calib.x1.y + 5);
        dc.DrawLine(calib.x2.x, calib.x2.y - 5, calib.x2.x, calib.x2.y + 5);
    }
    if (calib.y1Set) dc.DrawText(AxisValueText(calib.yValue1), calib.y1.x, calib.y1.y - 2);
    if (calib.y2Set) dc.DrawText(AxisValueText(calib.yValue2), calib.y2.x, calib.y2.y - 2);
    if (calib.y1Set && calib.y2Set) {
        dc.DrawLine(calib.y1.x, calib.y1.y, calib.y2.x, calib.y2.y);
        dc.DrawLine(calib.y1.x - 5, calib.y1.y, calib.y1.x + 5, calib.y1.y);
        dc.DrawLine(calib.y2.x - 5, calib.y2.y, calib.y2.x + 5, calib.y2.y);
    }
    redrawLabels = false;
    for (TextLabel& label : textLabels) DrawLabel(dc, label);

    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    redrawPlotRect = false;
    if (!plotRect.IsUnset()) {
        dc.SetPen(plotPen);
        const IRect r = NormalizeRect(plotRect);
        dc.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    plotRectDrawn = plotRect;

    if (dragState != 0 && !rubberBand.IsUnset()) {
        dc.SetPen(textMode ? textAreaPen : wxPen(dragState == 2 ? wxColour(255, 255, 0) : wxColour(0, 255, 255), 1));
        const IRect r = NormalizeRect(rubberBand);
        dc.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
        rubberBandDrawn = rubberBand;
    } else {
        rubberBandDrawn = kNoRect;
    }

    fullRepaintDone = false;
    if (axisMode != 0 && crossHair != kNoPoint) {
        dc.SetPen(crossPen);
        DrawCrossLines(dc, crossHair);
        crossHairDrawn = crossHair;
    } else {
        crossHairDrawn = kNoPoint;
    }
}

void ScrolledImageComponent::DrawOverlaysNow() {
    if (!displayImage.IsOk()) return;
    // Modes 3 and 6 end at the first overlay drawing after the second value.
    if (axisMode == 3 || axisMode == 6) axisMode = 0;
    if (plotRect != plotRectDrawn) {
        RefreshFigure(plotRectDrawn);
        RefreshFigure(plotRect);
    }
    const IRect band = dragState != 0 ? rubberBand : kNoRect;
    if (band != rubberBandDrawn) {
        RefreshFigure(rubberBandDrawn);
        RefreshFigure(band);
    }
    const IPoint cross = axisMode != 0 ? crossHair : kNoPoint;
    if (cross != crossHairDrawn) {
        RefreshCrossStrips();
        const IPoint keep = crossHairDrawn;
        crossHairDrawn = cross;
        RefreshCrossStrips();
        crossHairDrawn = keep;
    }
    Update();
}

void ScrolledImageComponent::RefreshFigure(const IRect& figure) {
    if (figure.IsUnset()) return;
    const IRect r = NormalizeRect(figure);
    const int m = int(std::ceil(3 * zoom)) + 3;  // pen width plus anti-aliasing
    const wxPoint a = ImageToWindow({r.left, r.top}), b = ImageToWindow({r.right, r.bottom});
    RefreshRect(wxRect(wxPoint(a.x - m, a.y - m), wxPoint(b.x + m, a.y + m)), false);
    RefreshRect(wxRect(wxPoint(a.x - m, b.y - m), wxPoint(b.x + m, b.y + m)), false);
    RefreshRect(wxRect(wxPoint(a.x - m, a.y - m), wxPoint(a.x + m, b.y + m)), false);
    RefreshRect(wxRect(wxPoint(b.x - m, a.y - m), wxPoint(b.x + m, b.y + m)), false);
}

void ScrolledImageComponent::RefreshCrossStrips() {
    if (crossHairDrawn == kNoPoint) return;
    const int m = int(std::ceil(2 * zoom)) + 2;
    const wxPoint c = ImageToWindow(crossHairDrawn);
    const wxSize size = GetClientSize();
    RefreshRect(wxRect(c.x - m, 0, 2 * m + 1, size.y), false);
    RefreshRect(wxRect(0, c.y - m, size.x, 2 * m + 1), false);
}

void ScrolledImageComponent::UpdateValueTextBoxes() {
    wxClientDC dc(this);
    dc.SetFont(axisFont);
    const IPoint* points[4] = {&calib.x1, &calib.x2, &calib.y1, &calib.y2};
    const bool set[4] = {calib.x1Set, calib.x2Set, calib.y1Set, calib.y2Set};
    const double values[4] = {calib.xValue1, calib.xValue2, calib.yValue1, calib.yValue2};
    for (int i = 0; i < 4; ++i) {
        if (!set[i]) {
            valueTextBoxes[i] = kNoRect;
            continue;
        }
        wxCoord w = 0, h = 0;
        dc.GetTextExtent(AxisValueText(values[i]), &w, &h);
        const IPoint p = *points[i];
        valueTextBoxes[i] = {p.x, p.y - 2, p.x + w, p.y - 2 + h};
    }
}

void ScrolledImageComponent::RefreshAxisMarks(bool isX) {
    const IPoint a = isX ? calib.x1 : calib.y1, b = isX ? calib.x2 : calib.y2;
    const IRect ta = valueTextBoxes[isX ? 0 : 2], tb = valueTextBoxes[isX ? 1 : 3];
    for (const IRect& t : {ta, tb}) RefreshImageBox(Widen(t, 2));
    if (a != kNoPoint || b != kNoPoint) {
        const IPoint p = a != kNoPoint ? a : b, q = b != kNoPoint ? b : a;
        RefreshImageBox({std::min(p.x, q.x) - 7, std::min(p.y, q.y) - 7, std::max(p.x, q.x) + 7, std::max(p.y, q.y) + 7});
    }
}

void ScrolledImageComponent::DrawLabel(wxDC& dc, TextLabel& label) {
    wxFont font(4, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    const wxString text = Wide(label.text);
    wxCoord tw = 0, th = 0;
    if (label.fontSize == -1) {
        // Fit once: grow the font until the text fills the label's height or width.
        label.fontSize = 4;
        while (th < label.height && tw < label.width && label.fontSize < 400) {
            dc.SetFont(font);
            dc.GetTextExtent(text, &tw, &th);
            ++label.fontSize;
            font.SetPointSize(label.fontSize);
        }
        dc.SetFont(font);
        dc.GetTextExtent(text, &tw, &th);
    } else {
        font.SetPointSize(label.fontSize);
        dc.SetFont(font);
        dc.GetTextExtent(text, &tw, &th);
    }
    dc.SetPen(label.selected ? *wxBLACK_PEN : *wxTRANSPARENT_PEN);
    const int x = label.left, y = label.top, w = label.width, h = label.height;
    const int dx = (w - tw) / 2, dy = (h - th) / 2;
    int bx, by, bw, bh, tx, ty;
    double angle = 0;
    if (label.orientation == 1) {
        bx = std::min(x, x + dy), by = std::min(y, y + dx), bw = std::max(h, int(th)), bh = std::max(w, int(tw));
        tx = x + dy, ty = y + dx + tw, angle = 90;
    } else if (label.orientation == 2) {
        bx = std::min(x, x + int(th) - dy), by = std::min(y, y + dx), bw = std::max(h, int(th)), bh = std::max(w, int(tw));
        tx = x + th - dy, ty = y + dx, angle = 270;
    } else {
        bx = std::min(x, x + dx), by = std::min(y, y + dy), bw = std::max(w, int(tw)), bh = std::max(h, int(th));
        tx = x + dx, ty = y + dy;
    }
    dc.SetBrush(wxBrush(wxColour(255, 255, 224)));
    dc.DrawRectangle(bx, by, bw, bh);
    label.boxLeft = bx;
    label.boxTop = by;
    label.boxWidth = bw;
    label.boxHeight = bh;
    dc.SetTextForeground(wxColour(0, 0, 128));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    if (angle == 0)
        dc.DrawText(text, tx, ty);
    else
        dc.DrawRotatedText(text, tx, ty, angle);
}

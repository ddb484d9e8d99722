// The overlay drawn above the picture: picked runs, hover highlights, value
// markers, axis marks, labels, the plot-area rectangle, the rubber band and the
// calibration cross-hair.
//
// Figures that follow the mouse are drawn plainly in the paint handler; when one
// moves, the outline it occupied and the one it will occupy are repainted (thin
// strips only), so it leaves no trace and appears exactly once. This replaces an
// exclusive-or raster operation, which the cairo-based toolkit does not provide.
#include "canvas/ScrolledImageComponent.h"

#include <wx/dcclient.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/numbers.h"
#include "document/selection.h"
#include "ui/UiSeam.h"

namespace {
wxString AxisValueText(double v) { return Wide(FormatDouble("%g", v)); }
}  // namespace

void ScrolledImageComponent::DrawOverlays(wxDC& dc) {
    const int imageWidth = doc.Width(), imageHeight = doc.Height();
    dc.SetPen(selectionPen);
    for (const Patch& patch : doc.Selection())
        for (const Run& run : patch) {
            const int lo = std::min(run.row1, run.row2), hi = std::max(run.row1, run.row2);
            dc.DrawLine(run.col, hi, run.col, lo == hi ? lo + 1 : lo);
        }

    // Highlights of the unpicked patches under the mouse (white is transparent).
    for (const Patch& patch : controller.Hovered()) {
        const IRect box = PatchBoundingBox(patch);
        const int key = HoverKey(box, imageHeight, imageWidth);
        auto found = hoverBitmaps.find(key);
        if (found == hoverBitmaps.end()) {
            const auto pictures = doc.Hovers().find(key);
            if (pictures == doc.Hovers().end()) continue;  // not computed yet
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
        for (const wxBitmap& bitmap : found->second)
            dc.DrawBitmap(bitmap, box.left - kHoverMargin, box.top - kHoverMargin, true);
    }

    // Value markers, where their point lies on a drawn picked run.
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

    const Calibration& c = doc.GetCalibration();
    dc.SetFont(axisFont);
    dc.SetTextForeground(wxColour(0, 0, 255));
    dc.SetPen(wxPen(wxColour(0, 0, 255), 1, wxPENSTYLE_SOLID));
    const bool x1 = c.xPixel1 != -1, x2 = c.xPixel2 != -1, y1 = c.yPixel1 != -1, y2 = c.yPixel2 != -1;
    if (x1) dc.DrawText(AxisValueText(c.xValue1), c.xPixel1, c.xRow - 2);
    if (x2) dc.DrawText(AxisValueText(c.xValue2), c.xPixel2, c.xRow - 2);
    if (x1 && x2) {
        dc.DrawLine(c.xPixel1, c.xRow, c.xPixel2, c.xRow);
        dc.DrawLine(c.xPixel1, c.xRow - 5, c.xPixel1, c.xRow + 5);
        dc.DrawLine(c.xPixel2, c.xRow - 5, c.xPixel2, c.xRow + 5);
    }
    if (y1) dc.DrawText(AxisValueText(c.yValue1), c.yColumn, c.yPixel1 - 2);
    if (y2) dc.DrawText(AxisValueText(c.yValue2), c.yColumn, c.yPixel2 - 2);
    if (y1 && y2) {
        dc.DrawLine(c.yColumn, c.yPixel1, c.yColumn, c.yPixel2);
        dc.DrawLine(c.yColumn - 5, c.yPixel1, c.yColumn + 5, c.yPixel1);
        dc.DrawLine(c.yColumn - 5, c.yPixel2, c.yColumn + 5, c.yPixel2);
    }
    for (size_t i = 0; i < doc.Labels().size(); ++i) DrawLabel(dc, i);

    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    const IRect plotRect = doc.PlotRect();
    if (!plotRect.IsUnset()) {
        dc.SetPen(plotPen);
        const IRect r = NormalizeRect(plotRect);
        dc.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    plotRectDrawn = plotRect;

    const DragState drag = controller.Drag();
    const IRect band = controller.RubberBand();
    if (drag != DragState::None && !band.IsUnset()) {
        const bool left = drag == DragState::LeftDragging;
        const IRect r = NormalizeRect(band);
        if (controller.TextMode()) {
            dc.SetPen(wxPen(*wxWHITE, 1));
            dc.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
            dc.SetPen(textAreaPen);
        } else {
            dc.SetPen(wxPen(left ? wxColour(255, 255, 0) : wxColour(0, 255, 255), 1));
        }
        dc.DrawRectangle(r.left, r.top, r.right - r.left, r.bottom - r.top);
        rubberBandDrawn = band;
    } else {
        rubberBandDrawn = kNoRect;
    }

    const IPoint cross = controller.CrossHair();
    if (controller.Mode() != AxisMode::None && cross != kNoPoint) {
        dc.SetPen(crossPen);
        dc.DrawLine(cross.x, 0, cross.x, imageHeight);
        dc.DrawLine(0, cross.y, imageWidth, cross.y);
        crossHairDrawn = cross;
    } else {
        crossHairDrawn = kNoPoint;
    }
}

void ScrolledImageComponent::DrawOverlaysNow() {
    ReportMode();
    if (!HasImage()) return;
    controller.OverlayDrawn();
    const IRect plotRect = doc.PlotRect();
    if (plotRect != plotRectDrawn) {
        RefreshFigure(plotRectDrawn);
        RefreshFigure(plotRect);
    }
    const IRect band = controller.Drag() != DragState::None ? controller.RubberBand() : kNoRect;
    if (band != rubberBandDrawn) {
        RefreshFigure(rubberBandDrawn);
        RefreshFigure(band);
    }
    const IPoint cross = controller.Mode() != AxisMode::None ? controller.CrossHair() : kNoPoint;
    if (cross != crossHairDrawn) {
        RefreshCrossStrips(crossHairDrawn);
        RefreshCrossStrips(cross);
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

void ScrolledImageComponent::RefreshCrossStrips(IPoint cross) {
    if (cross == kNoPoint) return;
    const int m = int(std::ceil(2 * zoom)) + 2;
    const wxPoint c = ImageToWindow(cross);
    const wxSize size = GetClientSize();
    RefreshRect(wxRect(c.x - m, 0, 2 * m + 1, size.y), false);
    RefreshRect(wxRect(0, c.y - m, size.x, 2 * m + 1), false);
}

void ScrolledImageComponent::DrawLabel(wxDC& dc, size_t index) {
    const TextLabel& label = doc.Labels()[index];
    wxFont font(4, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_BOLD);
    const wxString text = Wide(label.text);
    wxCoord tw = 0, th = 0;
    int fontSize = label.fontSize;
    if (fontSize == -1) {
        // Fit once: grow the font until the text fills the label's height or width.
        fontSize = 4;
        while (th < label.height && tw < label.width && fontSize < 400) {
            dc.SetFont(font);
            dc.GetTextExtent(text, &tw, &th);
            ++fontSize;
            font.SetPointSize(fontSize);
        }
    } else {
        font.SetPointSize(fontSize);
    }
    dc.SetFont(font);
    dc.GetTextExtent(text, &tw, &th);
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
    doc.SetLabelLayout(index, {bx, by, bx + bw, by + bh}, fontSize);
    dc.SetTextForeground(wxColour(0, 0, 128));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    if (angle == 0)
        dc.DrawText(text, tx, ty);
    else
        dc.DrawRotatedText(text, tx, ty, angle);
}

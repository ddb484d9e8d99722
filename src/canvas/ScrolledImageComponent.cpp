#include "canvas/ScrolledImageComponent.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <cmath>

#include "app/CurvetapApp.h"
#include "document/selection.h"
#include "ui/UiSeam.h"


namespace {
// The seven patch colours, cycling.
const cv::Scalar kPatchColours[] = {{255, 96, 0}, {0, 0, 255}, {255, 255, 0}, {128, 128, 255},
                                    {0, 255, 255}, {0, 192, 0}, {255, 0, 0}};
}  // namespace

ScrolledImageComponent::ScrolledImageComponent(wxWindow* parent, wxWindowID id)
    : wxScrolled<wxPanel>(parent, id, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
      resultSink(std::make_shared<ResultSink>(this)) {
    ResetState();
    ClearHistory();
    hitTolerance = 2;
    zoom = 1;
    calib.xLog = calib.yLog = false;
    showValueMarkers = true;
    plotPen = wxPen(wxColour(0, 255, 0), 3, wxPENSTYLE_SHORT_DASH);
    selectionPen = wxPen(wxColour(255, 0, 255), 2, wxPENSTYLE_SOLID);
    crossPen = wxPen(wxColour(192, 192, 192), 2, wxPENSTYLE_SOLID);
    textAreaPen = wxPen(*wxWHITE, 1, wxPENSTYLE_DOT);
    axisFont = wxFont(12, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    const int markerSizes[4] = {2, 4, 6, 12};
    for (int i = 0; i < 4; ++i)
        markerFonts[i] = wxFont(markerSizes[i], wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetScrollRate(1, 1);

    Bind(wxEVT_PAINT, &ScrolledImageComponent::OnPaint, this);
    Bind(wxEVT_MOUSEWHEEL, &ScrolledImageComponent::OnWheel, this);
    for (auto type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
                      wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK})
        Bind(type, &ScrolledImageComponent::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBRELEASE, &ScrolledImageComponent::OnThumbRelease, this);
    Bind(wxEVT_LEFT_DOWN, &ScrolledImageComponent::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &ScrolledImageComponent::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &ScrolledImageComponent::OnLeftDClick, this);
    Bind(wxEVT_RIGHT_DOWN, &ScrolledImageComponent::OnRightDown, this);
    Bind(wxEVT_RIGHT_UP, &ScrolledImageComponent::OnRightUp, this);
    Bind(wxEVT_MOTION, &ScrolledImageComponent::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &ScrolledImageComponent::OnLeave, this);
    Bind(wxEVT_KEY_DOWN, &ScrolledImageComponent::OnKeyDown, this);
    Bind(wxEVT_SET_CURSOR, &ScrolledImageComponent::OnSetCursor, this);
    Bind(EVT_THINNED_READY, &ScrolledImageComponent::OnThinnedReady, this);
    Bind(EVT_HOVERS_READY, &ScrolledImageComponent::OnHoversReady, this);
}

// Workers still running deliver nowhere once the window is gone.
ScrolledImageComponent::~ScrolledImageComponent() { resultSink->Detach(); }

// ---------------------------------------------------------------- image and view

void ScrolledImageComponent::LoadImage(const wxImage& image) {
    if (!image.IsOk()) {
        ShowInfo("there was an error loading the image");
        return;
    }
    ResetState();
    displayImage = image.Copy();
    reduced = wxImage();
    imageWidth = displayImage.GetWidth();
    imageHeight = displayImage.GetHeight();
    SetZoom(1);
}

void ScrolledImageComponent::SetDisplayImage(const cv::Mat& image) {
    baseImage = image.clone();
    composed.release();
    if (baseImage.empty()) return;
    // The display image shows the base image's bytes without a copy.
    displayImage = wxImage(baseImage.cols, baseImage.rows, baseImage.data, true);
    reduced = wxImage();
}

void ScrolledImageComponent::ResetState() {
    plotRect = plotRectDrawn = rubberBand = rubberBandDrawn = dirtyBox = kNoRect;
    for (IRect& r : valueTextBoxes) r = kNoRect;
    dragState = 0;
    edgeMask = 0;
    fullRepaintDone = redrawHover = redrawValueMarkers = false;
    textMode = false;
    UseCursor(wxCURSOR_ARROW);
    if (wxTheApp) wxGetApp().SetOcrMode(false);
    labelClicked = false;
    thinnedStarted = thinnedReceived = hoversStarted = hoversReceived = 0;
    ResetAxis(true);
    ResetAxis(false);
    currentSlot = 0;
    patches.clear();
    working.clear();
    slots.clear();
    thinned.clear();
    hoverTable.clear();
    hoverBitmaps.clear();
    hovered.clear();
    textLabels.clear();
    slots.emplace_back();
    scrollbarWidth = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    scrollbarHeight = wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, this);
    if (scrollbarWidth < 0) scrollbarWidth = 0;
    if (scrollbarHeight < 0) scrollbarHeight = 0;
    background = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
}

int ScrolledImageComponent::ZoomIndex() const {
    for (size_t i = 0; i < kZoomFactors.size(); ++i)
        if (kZoomFactors[i] == zoom) return int(i);
    return -1;
}

void ScrolledImageComponent::SetGridSettings(bool rg, int gw) {
    removeGrid = rg;
    gridWidth = gw;
}

void ScrolledImageComponent::RequestFullRedraw() {
    redrawSelection = true;
    Refresh();
}

void ScrolledImageComponent::SetZoom(double z) {
    zoom = z;
    ZoomAt(0, 0, 1);
}

void ScrolledImageComponent::ZoomAt(int px, int py, double factor) {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);  // one scroll unit is one pixel
    const int ox = int(vx / zoom), oy = int(vy / zoom);
    zoom *= factor;
    int nx = int(px - (px - ox) / factor);
    int ny = int(py - (py - oy) / factor);
    nx = std::clamp(nx, 0, std::max(0, imageWidth));
    ny = std::clamp(ny, 0, std::max(0, imageHeight));
    SetScrollbars(1, 1, int(imageWidth * zoom), int(imageHeight * zoom), int(nx * zoom), int(ny * zoom), false);
    redrawSelection = true;
    dirtyBox = kNoRect;
    Refresh();
}

void ScrolledImageComponent::PrepareDC(wxDC& dc) const {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    dc.SetDeviceOrigin(-vx, -vy);
    dc.SetUserScale(zoom, zoom);
}

IPoint ScrolledImageComponent::WindowToImage(wxPoint client) const {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    return {int(std::lround((client.x + vx) / zoom)), int(std::lround((client.y + vy) / zoom))};
}

wxPoint ScrolledImageComponent::ImageToWindow(IPoint p) const {
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    return {int(p.x * zoom) - vx, int(p.y * zoom) - vy};
}

IPoint ScrolledImageComponent::GetImagePosition(const wxMouseEvent& event) const {
    return WindowToImage(event.GetPosition());
}

void ScrolledImageComponent::RefreshImageBox(const IRect& box) {
    if (box.IsUnset()) return;
    const wxPoint tl = ImageToWindow({box.left, box.top});
    const int w = int((box.right - box.left) * zoom), h = int((box.bottom - box.top) * zoom);
    RefreshRect(wxRect(tl.x, tl.y, std::max(1, w), std::max(1, h)), true);
}

void ScrolledImageComponent::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBrush(wxBrush(background));
    dc.SetPen(wxPen(background, 1));
    const wxSize client = GetClientSize();
    dc.DrawRectangle(0, 0, client.x, client.y);
    if (!HasImage()) return;
    redrawSelection = true;
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    int x0 = std::max(0, int(vx / zoom)), y0 = std::max(0, int(vy / zoom));
    int w = int(client.x / zoom) + scrollbarWidth, h = int(client.y / zoom) + scrollbarHeight;
    if (x0 + w > imageWidth) w = imageWidth - x0;
    if (y0 + h > imageHeight) h = imageHeight - y0;
    if (zoom < 1) {
        // Zoomed out: one reduced copy per zoom serves every paint (a large scan at 1:8
        // would otherwise be reduced again on each repaint).
        if (!reduced.IsOk() || reducedZoom != zoom) {
            reduced = displayImage.Scale(std::max(1, int(imageWidth * zoom)), std::max(1, int(imageHeight * zoom)),
                                         wxIMAGE_QUALITY_BOX_AVERAGE);
            reducedZoom = zoom;
        }
        wxRect area = GetUpdateRegion().GetBox();
        if (area.IsEmpty()) area = wxRect(client);
        area.Offset(vx, vy);
        area.Intersect(wxRect(0, 0, reduced.GetWidth(), reduced.GetHeight()));
        if (!area.IsEmpty()) {
            const wxBitmap bitmap(reduced.GetSubImage(area));
            if (bitmap.IsOk()) dc.DrawBitmap(bitmap, area.x - vx, area.y - vy);
        }
    } else {
        // Only what this paint must cover (the visible part, narrowed to the update region).
        const wxRect update = GetUpdateRegion().GetBox();
        if (!update.IsEmpty()) {
            const int ux0 = int(std::floor((update.x + vx) / zoom)), uy0 = int(std::floor((update.y + vy) / zoom));
            const int ux1 = int(std::ceil((update.GetRight() + 1 + vx) / zoom)) + 1;
            const int uy1 = int(std::ceil((update.GetBottom() + 1 + vy) / zoom)) + 1;
            const int nx0 = std::max(x0, ux0), ny0 = std::max(y0, uy0);
            w = std::min(x0 + w, ux1) - nx0;
            h = std::min(y0 + h, uy1) - ny0;
            x0 = nx0;
            y0 = ny0;
        }
        if (w > 0 && h > 0) {
            // That part becomes a bitmap, enlarged here to screen pixels: sharp pixels,
            // and no full-size bitmap (which the platform cannot make for pictures
            // wider or taller than 32767 pixels).
            wxImage part = displayImage.GetSubImage(wxRect(x0, y0, w, h));
            if (zoom > 1) part.Rescale(int(w * zoom), int(h * zoom), wxIMAGE_QUALITY_NEAREST);
            const wxBitmap bitmap(part);
            if (bitmap.IsOk()) dc.DrawBitmap(bitmap, int(x0 * zoom) - vx, int(y0 * zoom) - vy);
        }
    }
    PrepareDC(dc);
    redrawPlotRect = redrawAxisMarks = fullRepaintDone = redrawLabels = true;
    DrawOverlays(dc);
}

void ScrolledImageComponent::OnWheel(wxMouseEvent& event) {
    if (axisMode != 0 || dragState != 0) return;
    const IPoint p = GetImagePosition(event);
    if (event.GetWheelRotation() > 0) {
        if (zoom == 8) return;
        ZoomAt(p.x, p.y, 2);
    } else {
        if (zoom == 0.125) return;
        ZoomAt(p.x, p.y, 0.5);
    }
    wxGetApp().SetZoomChoice(ZoomIndex());
}

void ScrolledImageComponent::OnScroll(wxScrollWinEvent& event) {
    redrawSelection = true;
    event.Skip();
    Refresh();
}

void ScrolledImageComponent::OnThumbRelease(wxScrollWinEvent&) {}

// ---------------------------------------------------------------- results

void ScrolledImageComponent::InstallResults(const PatchList& newPatches, int l, int t, int r, int b, bool rg,
                                            int gw) {
    CommitSelection();
    removeGrid = rg;
    gridWidth = gw;
    plotRect = {l, t, r, b};
    thinnedReceived = thinnedStarted;
    hoversReceived = hoversStarted;
    redrawPlotRect = true;
    PatchList sortedNew = newPatches;
    std::sort(sortedNew.begin(), sortedNew.end());
    std::sort(patches.begin(), patches.end());
    if (sortedNew == patches) {
        Refresh();
        return;
    }
    // Every slot keeps its picks, even patches this pass no longer finds.
    slots[currentSlot] = working;
    patches = MergeResultsKeepingPicks(std::move(sortedNew), slots);
    working = slots[currentSlot];
    StartThinnedWorker();
    StartHoverWorker();
    ComposeResultImage();
    redrawSelection = true;
    Refresh();
}

void ScrolledImageComponent::ComposeResultImage() {
    if (baseImage.empty()) return;
    composed = baseImage.clone();
    size_t i = 0;
    for (const Patch& patch : patches) {
        const cv::Scalar& colour = kPatchColours[i++ % 7];
        for (const Run& run : patch)
            cv::line(composed, {run.col, run.row2}, {run.col, run.row1}, colour, 1, cv::LINE_8);
    }
    displayImage = wxImage(composed.cols, composed.rows, composed.data, true);
    reduced = wxImage();
}

void ScrolledImageComponent::CommitSelection(const EditState& before) {
    PushHistory(before.filled ? before : BuildEditState());
    if (currentSlot >= 0 && currentSlot < int(slots.size())) slots[currentSlot] = working;
    // Both commands stay available once anything was recorded; stepping past either end does nothing.
    wxGetApp().EnableUndoRedo(true, true);
    wxGetApp().EnableUndoRedo(false, true);
}

void ScrolledImageComponent::PushHistory(const EditState& before) { history.Record(before); }

void ScrolledImageComponent::SelectGraph(int slot) {
    CommitSelection();
    if (slot < 0 || slot >= int(slots.size())) return;
    slots[currentSlot] = working;
    currentSlot = slot;
    working = slots[slot];
    wxGetApp().ShowGraphNumber(slot);
    redrawSelection = true;
    Refresh();
}

int ScrolledImageComponent::AddGraphSlot() {
    slots.emplace_back();
    return int(slots.size()) - 1;
}

void ScrolledImageComponent::GetSelectedGraphs(std::vector<PatchList>& graphs) const {
    graphs.clear();
    for (size_t i = 0; i < slots.size(); ++i) graphs.push_back(int(i) == currentSlot ? working : slots[i]);
}

void ScrolledImageComponent::SetPlotRect(const IRect& rect) {
    CommitSelection();
    plotRect = rect;
    redrawPlotRect = true;
}

void ScrolledImageComponent::FinishPlotRectDrag() {
    if (edgeMask == 0) return;
    edgeMask = 0;
    plotRect = NormalizeRect(plotRect);
    dirtyBox = plotRect;
    RefreshImageBox({plotRect.left - 3, plotRect.top - 3, plotRect.right + 4, plotRect.bottom + 4});
}

// ---------------------------------------------------------------- history

EditState ScrolledImageComponent::BuildEditState() const {
    EditState s;
    s.redrawPlotRect = redrawPlotRect;
    s.filled = true;
    s.calib = calib;
    s.showValueMarkers = showValueMarkers;
    s.removeGrid = removeGrid;
    s.gridWidth = gridWidth;
    s.currentSlot = currentSlot;
    s.plotRect = plotRect;
    s.plotRectDrawn = plotRectDrawn;
    s.rubberBand = rubberBand;
    s.valueMarkers = valueMarkers;
    s.working = working;
    s.slots = slots;
    s.thinned = thinned;
    s.textLabels = textLabels;
    return s;
}

void ScrolledImageComponent::RestoreEditState(const EditState& s) {
    redrawPlotRect = true;
    calib = s.calib;
    showValueMarkers = s.showValueMarkers;
    removeGrid = s.removeGrid;
    gridWidth = s.gridWidth;
    currentSlot = s.currentSlot;
    plotRect = s.plotRect;
    rubberBand = s.rubberBand;
    valueMarkers = s.valueMarkers;
    working = s.working;
    slots = s.slots;
    if (slots.empty()) slots.emplace_back();
    if (currentSlot < 0 || currentSlot >= int(slots.size())) currentSlot = 0;
    thinned = s.thinned;
    textLabels = s.textLabels;
    slots[currentSlot] = working;
    wxGetApp().StoreTextLabels(textLabels);
    wxGetApp().ShowGraphNumber(currentSlot);
    UpdateValueTextBoxes();
    redrawSelection = redrawAxisMarks = redrawLabels = true;
    Refresh();
}

void ScrolledImageComponent::ClearHistory() {
    history.Clear();
    if (wxTheApp) {
        wxGetApp().EnableUndoRedo(true, true);
        wxGetApp().EnableUndoRedo(false, true);
    }
}

void ScrolledImageComponent::UndoRedo(bool undo) {
    EditState target;
    const bool moved = undo ? history.Undo(BuildEditState(), target) : history.Redo(target);
    if (moved) RestoreEditState(target);
}

// ---------------------------------------------------------------- workers

void ScrolledImageComponent::StartThinnedWorker() {
    thinned.clear();
    auto* worker = new CalculateThinned(resultSink, thinnedStarted, patches, imageHeight, imageWidth);
    ++thinnedStarted;
    if (worker->Run() != wxTHREAD_NO_ERROR) delete worker;
}

void ScrolledImageComponent::StartHoverWorker() {
    hoverTable.clear();
    hoverBitmaps.clear();
    auto* worker = new CalculateHovers(resultSink, hoversStarted, patches, imageHeight, imageWidth);
    ++hoversStarted;
    if (worker->Run() != wxTHREAD_NO_ERROR) delete worker;
}

void ScrolledImageComponent::OnThinnedReady(wxThreadEvent& event) {
    thinnedReceived = event.GetInt();
    thinned = std::move(*event.GetPayload<std::shared_ptr<ThinnedResult>>());
    Refresh();
}

void ScrolledImageComponent::OnHoversReady(wxThreadEvent& event) {
    hoversReceived = event.GetInt();
    hoverTable = std::move(*event.GetPayload<std::shared_ptr<HoverMap>>());
    hoverBitmaps.clear();
    Refresh();
}

// ---------------------------------------------------------------- text labels

void ScrolledImageComponent::SetTextLabels(const std::vector<TextLabel>& labels) {
    CommitSelection();
    textLabels = labels;
    redrawLabels = true;
    Refresh();
}

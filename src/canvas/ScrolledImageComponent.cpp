#include "canvas/ScrolledImageComponent.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <opencv2/imgproc.hpp>
#include <algorithm>
#include <cmath>

#include "base/numbers.h"
#include "document/selection.h"
#include "text/LabelDialog.h"
#include "ui/guidance.h"
#include "ui/UiSeam.h"

namespace {
// The seven patch colours, cycling.
const cv::Scalar kPatchColours[] = {{255, 96, 0}, {0, 0, 255}, {255, 255, 0}, {128, 128, 255},
                                    {0, 255, 255}, {0, 192, 0}, {255, 0, 0}};

}  // namespace

ScrolledImageComponent::ScrolledImageComponent(wxWindow* parent, wxWindowID id, Document& document,
                                               CanvasEvents handlers)
    : wxScrolled<wxPanel>(parent, id, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
      doc(document), events(std::move(handlers)), controller(document, *this) {
    plotPen = wxPen(wxColour(0, 255, 0), 3, wxPENSTYLE_SHORT_DASH);
    selectionPen = wxPen(wxColour(255, 0, 255), 2, wxPENSTYLE_SOLID);
    crossPen = wxPen(wxColour(192, 192, 192), 2, wxPENSTYLE_SOLID);
    // Dark dashes over a light under-stroke: the text area shows on white and on dark pictures.
    textAreaPen = wxPen(wxColour(0, 0, 160), 1, wxPENSTYLE_SHORT_DASH);
    axisFont = wxFont(12, wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    const int markerSizes[4] = {2, 4, 6, 12};
    for (int i = 0; i < 4; ++i)
        markerFonts[i] = wxFont(markerSizes[i], wxFONTFAMILY_MODERN, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetScrollRate(1, 1);
    ResetView();
    observer = doc.Observe([this](unsigned changes) { OnDocumentChanged(changes); });

    Bind(wxEVT_PAINT, &ScrolledImageComponent::OnPaint, this);
    Bind(wxEVT_MOUSEWHEEL, &ScrolledImageComponent::OnWheel, this);
    for (auto type : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
                      wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK})
        Bind(type, &ScrolledImageComponent::OnScroll, this);
    Bind(wxEVT_SCROLLWIN_THUMBRELEASE, [](wxScrollWinEvent&) {});
    Bind(wxEVT_LEFT_DOWN, &ScrolledImageComponent::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &ScrolledImageComponent::OnLeftUp, this);
    Bind(wxEVT_LEFT_DCLICK, &ScrolledImageComponent::OnLeftDClick, this);
    Bind(wxEVT_RIGHT_DOWN, &ScrolledImageComponent::OnRightDown, this);
    Bind(wxEVT_RIGHT_UP, &ScrolledImageComponent::OnRightUp, this);
    Bind(wxEVT_MOTION, &ScrolledImageComponent::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, &ScrolledImageComponent::OnLeave, this);
    Bind(wxEVT_KEY_DOWN, &ScrolledImageComponent::OnKeyDown, this);
    Bind(wxEVT_SET_CURSOR, &ScrolledImageComponent::OnSetCursor, this);
}

ScrolledImageComponent::~ScrolledImageComponent() { doc.Unobserve(observer); }

// ---------------------------------------------------------------- document

void ScrolledImageComponent::OnDocumentChanged(unsigned changes) {
    if (changes & (Changes::Picture | Changes::Results)) {
        reduced = wxImage();
        patchBoxes.clear();
        for (const Patch& p : doc.Patches()) patchBoxes.push_back(PatchBoundingBox(p));
    }
    if (changes & Changes::Derived) hoverBitmaps.clear();
    if (changes & Changes::Picture) {
        SetScrollbars(1, 1, int(doc.Width() * zoom), int(doc.Height() * zoom), 0, 0, false);
    }
    // Undo can take away the curve a marker stood on after the pointer left the canvas.
    if (!valueMarkers.empty() && !GetClientRect().Contains(ScreenToClient(wxGetMousePosition())))
        UpdateValueMarkers(kNoPoint);
    if (changes & ~(Changes::PlotRect | Changes::History)) {
        Refresh();
    } else if (changes & Changes::PlotRect) {
        RefreshFigure(plotRectDrawn);
        RefreshFigure(doc.PlotRect());
    }
}

// ---------------------------------------------------------------- InteractionHost

std::string ScrolledImageComponent::AskAxisValue(const std::string& name, const std::string& suggestion) {
    // A value a logarithmic axis can not take is refused as it is typed, and asked again.
    const Axis axis = name[0] == 'X' ? Axis::X : Axis::Y;
    const bool logarithmic = axis == Axis::X ? readout.logX : readout.logY;
    std::string typed = suggestion == "0" && logarithmic ? "1" : suggestion;
    for (;;) {
        typed = Ui().AskText(name, "Enter " + name, Wide(typed), nullptr).utf8_string();
        const auto value = ParseWholeNumber(typed);
        const auto problem = value ? LogAxisValueProblem(axis, *value, logarithmic) : std::nullopt;
        if (!problem) return typed;
        ShowInfo(Wide(*problem));
    }
}

void ScrolledImageComponent::ShowMessage(const std::string& text) { ShowInfo(Wide(text)); }

void ScrolledImageComponent::EditLabelDialog(std::string& text, int& kinds) {
    LabelDialog dialog(this, text, kinds);
    Ui().ShowModal(dialog);  // after Cancel the dialog hands back what it was opened with
    text = dialog.Text();
    kinds = dialog.Kinds();
}

void ScrolledImageComponent::RecogniseArea(const IRect& area) {
    if (events.recognise) events.recognise(area);
}

void ScrolledImageComponent::TextModeChanged(bool on) {
    if (events.textMode) events.textMode(on);
}

void ScrolledImageComponent::LabelCommandsChanged(bool enabled) {
    if (events.labelCommands) events.labelCommands(enabled);
}

IPoint ScrolledImageComponent::PointerNow() { return WindowToImage(ScreenToClient(wxGetMousePosition())); }

// ---------------------------------------------------------------- view

void ScrolledImageComponent::SetReadout(const ReadoutSettings& s) {
    if (s.whiteBackground != readout.whiteBackground) reduced = wxImage();
    readout = s;
    Refresh();
}

void ScrolledImageComponent::Command(const std::function<void(InteractionController&)>& command) {
    command(controller);
    ApplyCursor();
    DrawOverlaysNow();
}

void ScrolledImageComponent::ResetModes() {
    controller.Reset();
    plotRectDrawn = rubberBandDrawn = kNoRect;
    crossHairDrawn = kNoPoint;
    valueMarkers.clear();
    hoverBitmaps.clear();
    ApplyCursor();
    scrollbarWidth = std::max(0, wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this));
    scrollbarHeight = std::max(0, wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, this));
    background = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    Refresh();
}

void ScrolledImageComponent::ResetView() {
    ResetModes();
    SetZoom(1);
}

int ScrolledImageComponent::ZoomIndex() const {
    for (size_t i = 0; i < kZoomFactors.size(); ++i)
        if (kZoomFactors[i] == zoom) return int(i);
    return -1;
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
    const int w = doc.Width(), h = doc.Height();
    const int nx = std::clamp(int(px - (px - ox) / factor), 0, std::max(0, w));
    const int ny = std::clamp(int(py - (py - oy) / factor), 0, std::max(0, h));
    SetScrollbars(1, 1, int(w * zoom), int(h * zoom), int(nx * zoom), int(ny * zoom), false);
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

cv::Mat ScrolledImageComponent::ComposePart(const cv::Rect& box) const {
    cv::Mat part = ShownBackground(doc.Picture(), doc.Binary(), box, readout.whiteBackground);
    const PatchList& patches = doc.Patches();
    for (size_t i = 0; i < patches.size(); ++i) {
        const IRect& b = patchBoxes[i];
        if (b.right < box.x || b.left >= box.x + box.width || b.bottom < box.y || b.top >= box.y + box.height) continue;
        const cv::Scalar& colour = kPatchColours[i % 7];
        for (const Run& run : patches[i])
            cv::line(part, {run.col - box.x, run.row2 - box.y}, {run.col - box.x, run.row1 - box.y}, colour, 1,
                     cv::LINE_8);
    }
    return part;
}

void ScrolledImageComponent::OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    dc.SetBrush(wxBrush(background));
    dc.SetPen(wxPen(background, 1));
    const wxSize client = GetClientSize();
    dc.DrawRectangle(0, 0, client.x, client.y);
    if (!HasImage()) return;
    const int imageWidth = doc.Width(), imageHeight = doc.Height();
    int vx = 0, vy = 0;
    GetViewStart(&vx, &vy);
    int x0 = std::max(0, int(vx / zoom)), y0 = std::max(0, int(vy / zoom));
    int w = int(client.x / zoom) + scrollbarWidth, h = int(client.y / zoom) + scrollbarHeight;
    if (x0 + w > imageWidth) w = imageWidth - x0;
    if (y0 + h > imageHeight) h = imageHeight - y0;
    if (zoom < 1) {
        // Zoomed out: one reduced copy per zoom serves every paint; the full-size
        // composition it is made from lives only while it is reduced.
        if (!reduced.IsOk() || reducedZoom != zoom) {
            cv::Mat small;
            cv::resize(ComposePart(cv::Rect(0, 0, imageWidth, imageHeight)), small,
                       cv::Size(std::max(1, int(imageWidth * zoom)), std::max(1, int(imageHeight * zoom))), 0, 0,
                       cv::INTER_AREA);
            reduced = wxImage(small.cols, small.rows);
            std::copy(small.datastart, small.dataend, reduced.GetData());
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
            cv::Mat part = ComposePart(cv::Rect(x0, y0, w, h));
            if (zoom > 1) cv::resize(part, part, cv::Size(int(w * zoom), int(h * zoom)), 0, 0, cv::INTER_NEAREST);
            const wxImage image(part.cols, part.rows, part.data, true);
            const wxBitmap bitmap(image);
            if (bitmap.IsOk()) dc.DrawBitmap(bitmap, int(x0 * zoom) - vx, int(y0 * zoom) - vy);
        }
    }
    PrepareDC(dc);
    DrawOverlays(dc);
}

void ScrolledImageComponent::OnWheel(wxMouseEvent& event) {
    if (controller.Mode() != AxisMode::None || controller.Drag() != DragState::None) return;
    const IPoint p = GetImagePosition(event);
    if (event.GetWheelRotation() > 0) {
        if (zoom == 8) return;
        ZoomAt(p.x, p.y, 2);
    } else {
        if (zoom == 0.125) return;
        ZoomAt(p.x, p.y, 0.5);
    }
    if (events.zoomChoice) events.zoomChoice(ZoomIndex());
}

void ScrolledImageComponent::OnScroll(wxScrollWinEvent& event) {
    event.Skip();
    Refresh();
}

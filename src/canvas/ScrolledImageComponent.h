#pragma once
// The image canvas: a view of the document (the picture, the patches painted
// over it, picks, calibration, labels, plot rectangle) at one of seven zoom
// factors, and the adapter that turns mouse and key events into the
// interaction controller's calls in image coordinates.
#include <wx/wx.h>

#include <functional>
#include <map>
#include <vector>

#include "base/common.h"
#include "document/document.h"
#include "document/interaction.h"
#include "document/readout.h"

// What the canvas tells the window around it.
struct CanvasEvents {
    std::function<void(const wxString&)> status;     // readout for the status bar
    std::function<void(int)> zoomChoice;              // index into kZoomLabels after a wheel zoom
    std::function<void(bool)> textMode;               // the text-area mode turned on or off
    std::function<void(bool)> labelCommands;          // whether Delete applies to a label
    std::function<void(const IRect&)> recognise;      // read this area into labels
    std::function<void()> calibrateFromLabels;        // key A
    std::function<void(AxisMode, bool)> mode;         // the calibration or text-area mode changed
};

class ScrolledImageComponent : public wxScrolled<wxPanel>, private InteractionHost {
public:
    ScrolledImageComponent(wxWindow* parent, wxWindowID id, Document& doc, CanvasEvents events);
    ~ScrolledImageComponent() override;

    InteractionController& Controller() { return controller; }
    const InteractionController& Controller() const { return controller; }
    void SetReadout(const ReadoutSettings& s);
    const ReadoutSettings& Readout() const { return readout; }
    // Runs a command on the controller, then shows its effect (cursor, overlay).
    void Command(const std::function<void(InteractionController&)>& command);
    // Draws what follows the mouse now: repaints the strips figures left and entered.
    void DrawOverlaysNow();

    // Every mode off; ResetView also goes back to 1:1, for a new picture.
    void ResetModes();
    void ResetView();
    void SetZoom(double zoom);
    double GetZoom() const { return zoom; }
    int ZoomIndex() const;
    void ZoomAt(int px, int py, double factor);
    bool HasImage() const { return doc.HasPicture(); }

    // Image position of a window (client) position, as a mouse event would give it.
    IPoint WindowToImage(wxPoint client) const;
    wxPoint ImageToWindow(IPoint p) const;
    // The stock cursor the canvas last chose (wxCURSOR_ARROW, wxCURSOR_SIZEWE, ...).
    int CursorKind() const { return cursorKind; }
    const std::vector<ValueMarker>& ValueMarkers() const { return valueMarkers; }

private:
    // InteractionHost.
    std::string AskAxisValue(const std::string& name, const std::string& suggestion) override;
    void ShowMessage(const std::string& text) override;
    void EditLabelDialog(std::string& text, int& kinds) override;
    void RecogniseArea(const IRect& area) override;
    void TextModeChanged(bool on) override;
    void LabelCommandsChanged(bool enabled) override;
    IPoint PointerNow() override;

    void OnDocumentChanged(unsigned changes);
    void OnPaint(wxPaintEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnRightUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSetCursor(wxSetCursorEvent& event);

    IPoint GetImagePosition(const wxMouseEvent& event) const;
    void PrepareDC(wxDC& dc) const;
    // The base picture with the patches painted over it, for the image box (l, t, w, h).
    cv::Mat ComposePart(const cv::Rect& box) const;
    void DrawOverlays(wxDC& dc);
    void RefreshImageBox(const IRect& box);
    void RefreshFigure(const IRect& r);
    void RefreshCrossStrips(IPoint cross);
    void ApplyCursor();
    void UpdateStatusReadout(IPoint p);
    // Tells the window when the calibration or text-area mode changed.
    void ReportMode();
    bool UpdateValueMarkers(IPoint p);
    void RefreshMarker(const ValueMarker& marker);
    bool ChooseMarkerFont(wxDC& dc) const;
    bool OnSelectedRun(int column, int row) const;
    void RefreshHover(const PatchList& before);
    void DrawLabel(wxDC& dc, size_t index);

    Document& doc;
    CanvasEvents events;
    InteractionController controller;
    ReadoutSettings readout;
    int observer = -1;

    // View.
    double zoom = 1.0;
    wxImage reduced;  // the composed picture at the current zoom, when zoomed out
    double reducedZoom = 0;
    std::vector<IRect> patchBoxes;  // of doc.Patches(), for painting only what is visible
    int scrollbarWidth = 0, scrollbarHeight = 0;
    wxColour background;
    int cursorKind = wxCURSOR_ARROW;
    AxisMode modeShown = AxisMode::None;
    bool textModeShown = false;

    // What was drawn last of the figures that follow the mouse.
    IRect plotRectDrawn = kNoRect, rubberBandDrawn = kNoRect;
    IPoint crossHairDrawn = kNoPoint;
    std::vector<ValueMarker> valueMarkers;
    std::map<int, std::vector<wxBitmap>> hoverBitmaps;  // the document's hover pictures made drawable

    wxPen plotPen, selectionPen, crossPen, textAreaPen;
    wxFont axisFont;
    wxFont markerFonts[4];
};

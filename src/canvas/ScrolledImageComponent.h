#pragma once
// The image canvas: shows the picture (or the result painted over it) at one of
// seven zoom factors and holds everything the user edits on top of it.
#include <wx/wx.h>

#include <opencv2/core.hpp>
#include <functional>
#include <vector>

#include "base/common.h"
#include "canvas/edit_state.h"
#include "document/calibration.h"
#include "detect/Workers.h"
#include "detect/thinning.h"
#include "detect/types.h"
#include "text/label.h"


class ScrolledImageComponent : public wxScrolled<wxPanel> {
public:
    ScrolledImageComponent(wxWindow* parent, wxWindowID id);
    ~ScrolledImageComponent() override;

    // Image and view.
    void LoadImage(const wxImage& image);
    void SetDisplayImage(const cv::Mat& image);
    void SetProcessedImage(const cv::Mat& image) { SetDisplayImage(image); }
    void ResetState();
    void SetZoom(double zoom);
    double GetZoom() const { return zoom; }
    int ZoomIndex() const;
    void ZoomAt(int px, int py, double factor);
    void SetLogScaleX(bool on) { calib.xLog = on; }
    void SetLogScaleY(bool on) { calib.yLog = on; }
    void SetShowValueMarkers(bool on) { showValueMarkers = on; }
    bool ShowValueMarkers() const { return showValueMarkers; }
    void SetGridSettings(bool removeGrid, int gridWidth);
    void RequestFullRedraw();
    bool HasImage() const { return displayImage.IsOk(); }
    int ImageWidth() const { return imageWidth; }
    int ImageHeight() const { return imageHeight; }
    const wxImage& DisplayImage() const { return displayImage; }

    // Results and selection.
    void InstallResults(const PatchList& newPatches, int l, int t, int r, int b, bool removeGrid, int gridWidth);
    void ComposeResultImage();
    void CommitSelection(const EditState& before = EditState());
    void SelectGraph(int slot);
    void GetSelectedGraphs(std::vector<PatchList>& graphs) const;
    const PatchList& AllPatches() const { return patches; }
    const PatchList& WorkingSelection() const { return working; }
    const std::vector<PatchList>& GraphSlots() const { return slots; }
    int CurrentSlot() const { return currentSlot; }
    int AddGraphSlot();
    IRect GetPlotRect() const { return plotRect; }
    void SetPlotRect(const IRect& rect);
    void FinishPlotRectDrag();
    bool HitTestLabels(IPoint p, bool select);

    // Calibration.
    void StartAxisCalibration(bool isX, bool cancel);
    void CancelAxisCalibration();
    void ResetAxis(bool isX);
    // Both axes and the label list as one edit (calibration from tick labels).
    void TakeCalibration(const ::Calibration& c, const std::vector<TextLabel>& labels);
    void GetAxisCalibration(double& xValue1, int& xPixel1, double& xValue2, int& xPixel2, double& yValue1,
                            int& yPixel1, double& yValue2, int& yPixel2) const;
    const AxisCalibration& Calibration() const { return calib; }
    int AxisMode() const { return axisMode; }

    // Edit history.
    EditState BuildEditState() const;
    void RestoreEditState(const EditState& state);
    void ClearHistory();
    void UndoRedo(bool undo);
    bool CanUndo() const { return history.CanUndo(); }
    bool CanRedo() const { return history.CanRedo(); }

    // Text labels.
    void SetTextLabels(const std::vector<TextLabel>& labels);
    void GetTextLabels(std::vector<TextLabel>& labels) const { labels = textLabels; }
    void DeleteSelectedLabel();
    void EditSelectedLabel();
    void SetTextMode(bool on);
    void ExitTextMode();
    bool IsTextMode() const { return textMode; }

    // Readout.
    void UpdateStatusReadout(IPoint p);
    int HitTestPlotRect(IPoint p);
    int DragState() const { return dragState; }
    // The stock cursor the canvas last chose (wxCURSOR_ARROW, wxCURSOR_SIZEWE, ...).
    int CursorKind() const { return cursorKind; }
    void UseCursor(wxStockCursor kind);
    int EdgeMask() const { return edgeMask; }
    IRect RubberBand() const { return rubberBand; }
    IPoint CrossHair() const { return crossHair; }

    // Image position of a window (client) position, as a mouse event would give it.
    IPoint WindowToImage(wxPoint client) const;
    wxPoint ImageToWindow(IPoint p) const;
    void RefreshImageBox(const IRect& box);

    // Generations of the worker results (started, received) for tests.
    int ThinnedStarted() const { return thinnedStarted; }
    int ThinnedReceived() const { return thinnedReceived; }
    // Worker results as they arrived.
    size_t ThinnedCount() const { return thinned.size(); }
    size_t HoverKeyCount() const { return hoverTable.size(); }

    // Hover readout: the unselected patches under the cursor and the value markers.
    bool UpdateHover(IPoint p);
    bool UpdateValueMarkers(IPoint p);
    std::string FormatPointValue(int column, int row) const;
    const PatchList& HoveredPatches() const { return hovered; }
    const std::vector<ValueMarker>& ValueMarkers() const { return valueMarkers; }
    int HoversStarted() const { return hoversStarted; }
    int HoversReceived() const { return hoversReceived; }

private:
    void OnPaint(wxPaintEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnScroll(wxScrollWinEvent& event);
    void OnThumbRelease(wxScrollWinEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnLeftDClick(wxMouseEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnRightUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnSetCursor(wxSetCursorEvent& event);
    void OnThinnedReady(wxThreadEvent& event);
    void OnHoversReady(wxThreadEvent& event);

    void StartThinnedWorker();
    void StartHoverWorker();
    void PrepareDC(wxDC& dc) const;
    IPoint GetImagePosition(const wxMouseEvent& event) const;
    void DrawOverlays(wxDC& dc);
    void DrawOverlaysNow();
    void DrawCrossLines(wxDC& dc, IPoint p);
    void LeftRelease();
    void RightRelease();
    // Repaints the outline of a rectangle figure (plot area, rubber band) so it can move without a trace.
    void RefreshFigure(const IRect& r);
    static IRect Widen(const IRect& r, int m) {
        return r.IsUnset() ? r : IRect{r.left - m, r.top - m, r.right + m, r.bottom + m};
    }
    wxString AxisValueText(double v) const;
    void ClickSelect(IPoint p);
    // Adds every unselected patch that touches (in patch-list order) / removes every selected one.
    PatchList AddToSelection(const std::function<bool(const Patch&)>& touches);
    PatchList RemoveFromSelection(const std::function<bool(const Patch&)>& touches);
    // Records the change for Undo and repaints the patches it concerned.
    void SelectionChanged(const EditState& before, const PatchList& changed);
    void ClickDeselect(IPoint p);
    void AxisClick(IPoint p);
    void RefreshAxisMarks(bool isX);
    void UpdateValueTextBoxes();
    void RefreshCrossStrips();
    void TextAreaRelease();
    void SetLabelCalibration(const TextLabel& label, int kinds);
    void PushHistory(const EditState& before);
    bool ChooseMarkerFont(wxDC& dc) const;
    void RefreshMarker(const ValueMarker& marker);
    bool OnSelectedRun(int column, int row) const;
    // The calibrated values at a pixel, "?" for an unusable axis; false when neither axis is usable.
    bool AxisValues(int column, int row, const char* format, std::string& vx, std::string& vy) const;
    void DrawLabel(wxDC& dc, TextLabel& label);

    // Image and view.
    cv::Mat baseImage;
    cv::Mat composed;
    wxImage displayImage;
    wxImage reduced;  // the display image at the current zoom, when zoomed out
    double reducedZoom = 0;
    int imageWidth = 0, imageHeight = 0;
    double zoom = 1.0;
    int scrollbarWidth = 0, scrollbarHeight = 0;
    wxColour background;

    // Interaction state.
    int axisMode = 0;
    int dragState = 0;
    int edgeMask = 0;
    bool textMode = false;
    bool labelClicked = false;
    IRect plotRect, plotRectDrawn;
    IRect rubberBand, rubberBandDrawn;
    IPoint crossHair, crossHairDrawn;
    int hitTolerance = 2;
    int cursorKind = wxCURSOR_ARROW;
    bool removeGrid = false;
    int gridWidth = 2;
    bool showValueMarkers = true;
    AxisCalibration calib;
    IRect valueTextBoxes[4];

    // Redraw flags.
    bool redrawSelection = true, redrawAxisMarks = true, redrawPlotRect = true, fullRepaintDone = false;
    bool redrawHover = false, redrawValueMarkers = false, redrawLabels = true;

    int thinnedStarted = 0, thinnedReceived = 0, hoversStarted = 0, hoversReceived = 0;
    IRect dirtyBox;

    // Lists.
    PatchList patches;
    PatchList working;
    PatchList hovered;
    std::vector<PatchList> slots;
    int currentSlot = 0;
    std::vector<ColumnMap> thinned;
    HoverMap hoverTable;
    std::map<int, std::vector<wxBitmap>> hoverBitmaps;  // hoverTable made drawable, on first use
    std::shared_ptr<ResultSink> resultSink;
    std::vector<ValueMarker> valueMarkers;
    std::vector<TextLabel> textLabels;
    CanvasHistory history;

    // Drawing resources.
    wxPen plotPen, selectionPen, crossPen, textAreaPen;
    wxFont axisFont;
    wxFont markerFonts[4];
};

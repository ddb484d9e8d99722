#pragma once
// What the pointer and the keys do on the picture: the interaction modes of the
// canvas as a small state machine over the document, in image coordinates. The
// window turns its events into these calls and draws what the controller holds.
#include <string>

#include "base/common.h"
#include "document/document.h"

enum class AxisMode { None, XFirst, XSecond, XDone, YFirst, YSecond, YDone };
enum class DragState { None, LeftPressed, LeftDragging, RightPressed, RightDragging };
// Edges of the plot rectangle being dragged (corners are two bits); NewRect draws a new one.
enum Edges : unsigned { EdgeNone = 0, EdgeTop = 1, EdgeBottom = 2, EdgeLeft = 4, EdgeRight = 8, EdgeNewRect = 0x10 };
enum class Cursor { Arrow, SizeNS, SizeWE, SizeNWSE, SizeNESW, Pencil };
enum class Key { Escape, X, Y, T, Delete, Return, Other };
// What a mouse press does by the keys held: Shift reaches the whole-class pick (the left
// button adds, the right drops) but for Shift+Control+left, which stays a plain press.
enum class PressKind { Plain, ClassPick, ClassUnpick };
PressKind KindOfPress(bool rightButton, bool shift, bool control);

// What the controller needs from the window: questions, recognition, and news.
class InteractionHost {
public:
    virtual ~InteractionHost() = default;
    // The text typed for an axis point ("X0", "X1", "Y0", "Y1"); empty when cancelled.
    virtual std::string AskAxisValue(const std::string& name, const std::string& suggestion) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // The label dialog on a label's text and kinds; both are updated in place.
    virtual void EditLabelDialog(std::string& text, int& kinds) = 0;
    // Reads the area (clipped to the picture, never empty) into labels.
    virtual void RecogniseArea(const IRect& area) = 0;
    virtual void TextModeChanged(bool on) = 0;
    // Whether the Delete command applies to a label now.
    virtual void LabelCommandsChanged(bool enabled) = 0;
    // Where the pointer is now, for the first cross-hair of a calibration.
    virtual IPoint PointerNow() = 0;
};

class InteractionController {
public:
    InteractionController(Document& doc, InteractionHost& host) : doc(doc), host(host) {}

    // Pointer and keys, at image positions; the window draws the overlay after each.
    void LeftDown(IPoint p, bool control);
    void LeftUp();
    void LeftDoubleClick(IPoint p, bool control);
    void RightDown(IPoint p);
    void RightUp();
    // draw: the overlay changed; hoverStage: no mode took the motion, so the
    // window's own hover feedback (value markers) applies.
    struct MotionOutcome {
        bool draw = false;
        bool hoverStage = false;
    };
    MotionOutcome Motion(IPoint p, bool leftDown, bool rightDown);
    void Leave();
    void KeyDown(Key key);

    // Shift+click: every patch of the clicked patch's colour class that belongs to its
    // curve inside the plot area (no legend sample, text or arrow) joins the current
    // graph, only the clicked curve's where the class holds several; with remove,
    // those patches of that class leave it. One step.
    PatchList ClassPick(IPoint p, bool remove);

    void StartAxisCalibration(Axis axis, bool cancel = false);
    void CancelAxisCalibration();
    void SetTextMode(bool on);
    void ExitTextMode();
    // Ends an edge drag still in progress (processing reads the rectangle).
    void FinishPlotRectDrag();
    // The overlay was drawn: a finished axis leaves calibration mode.
    void OverlayDrawn();
    // Every mode off, as for a new picture.
    void Reset();

    // Edges of the plot rectangle within 7 pixels of p; also picks the cursor.
    unsigned HitTestPlotRect(IPoint p);
    // The label under p (by its drawn box), or -1.
    int LabelAt(IPoint p) const;

    AxisMode Mode() const { return axisMode; }
    DragState Drag() const { return dragState; }
    unsigned EdgeMask() const { return edgeMask; }
    bool TextMode() const { return textMode; }
    IRect RubberBand() const { return rubberBand; }
    IPoint CrossHair() const { return crossHair; }
    Cursor CursorShape() const { return cursor; }
    // Unpicked patches under the pointer, for highlighting.
    const PatchList& Hovered() const { return hovered; }
    bool UpdateHover(IPoint p);

private:
    void ClickSelect(IPoint p);
    void ClickDeselect(IPoint p);
    void AxisClick(IPoint p);
    void TextAreaRelease();
    bool SelectLabelAt(IPoint p);
    void EditSelectedLabel();
    void StopDrag();

    Document& doc;
    InteractionHost& host;
    AxisMode axisMode = AxisMode::None;
    DragState dragState = DragState::None;
    unsigned edgeMask = EdgeNone;
    bool textMode = false;
    bool labelClicked = false;
    IRect rubberBand = kNoRect;
    IPoint crossHair = kNoPoint;
    Cursor cursor = Cursor::Arrow;
    PatchList hovered;
};

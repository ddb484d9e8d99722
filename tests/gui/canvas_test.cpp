// Picking curves and calibrating axes with real mouse and key input on the canvas.
#include <gtest/gtest.h>

#include <wx/filename.h>
#include <wx/uiaction.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "document/selection.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

namespace {
// A frameless chart with three separate marks, each too short to pass for a frame
// line (so the plot area is the whole image): a red vertical line at column 50
// (rows 20..70), a blue horizontal line on row 100 (columns 20..90) and a green
// vertical line at column 150 (rows 30..60).
std::string SimpleChart() {
    static std::string path;
    if (!path.empty()) return path;
    wxImage img(200, 150);
    img.SetRGB(wxRect(0, 0, 200, 150), 255, 255, 255);
    img.SetRGB(wxRect(50, 20, 1, 51), 220, 0, 0);
    img.SetRGB(wxRect(20, 100, 71, 1), 0, 0, 220);
    img.SetRGB(wxRect(150, 30, 1, 31), 0, 160, 0);
    path = TempDir("canvas") + "/simple.png";
    img.SaveFile(path);
    return path;
}

// Opens and processes the simple chart at zoom 1 with the view at the top-left.
void Fresh() {
    ASSERT_TRUE(LoadPicture(SimpleChart()));
    ProcessNow();
    ASSERT_EQ(g_canvas->AllPatches().size(), 3u) << LogText();
    Pump(50);
}

const Patch* PatchAt(int x, int y) {
    for (const Patch& p : g_canvas->AllPatches())
        if (HitPatch({x, y}, p, 1)) return &p;
    return nullptr;
}

bool Selected(int x, int y) {
    const Patch* p = PatchAt(x, y);
    return p && Contains(g_canvas->WorkingSelection(), *p);
}
}  // namespace

TEST(Canvas, ClickSelectsWithinOnePixelAndRightClickDeselects) {
    Fresh();
    real::Click(52, 50);  // two pixels beside the one-pixel red line: no hit
    EXPECT_TRUE(g_canvas->WorkingSelection().empty());
    EXPECT_EQ(g_canvas->DragState(), 0) << "a press without motion leaves no band";
    real::Click(51, 50);  // one pixel beside: hit
    ASSERT_EQ(g_canvas->WorkingSelection().size(), 1u);
    EXPECT_TRUE(Selected(50, 50));
    EXPECT_EQ(g_canvas->GraphSlots()[0].size(), 1u) << "the slot follows the working selection";
    real::Click(50, 71);  // one past the end still hits; already selected: nothing changes
    EXPECT_EQ(g_canvas->WorkingSelection().size(), 1u);
    real::Click(50, 60, 3);
    EXPECT_TRUE(g_canvas->WorkingSelection().empty());
}

TEST(Canvas, PressAndReleaseWithoutMotionLetsTheWheelZoomAtOnce) {
    Fresh();
    real::Click(10, 10);
    EXPECT_EQ(g_canvas->DragState(), 0);
    EXPECT_TRUE(g_canvas->RubberBand().IsUnset());
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.SetPosition(g_canvas->ImageToWindow({10, 10}));
    wheel.m_wheelRotation = 120;
    wheel.m_wheelDelta = 120;
    g_canvas->GetEventHandler()->ProcessEvent(wheel);
    EXPECT_DOUBLE_EQ(g_canvas->GetZoom(), 2.0);
    wxGetApp().SetCanvasZoom(1);
}

TEST(Canvas, RubberBandsSelectAndDeselect) {
    Fresh();
    // A left band across the middle of the red line and the blue line's left part.
    real::Drag(40, 40, 60, 110);
    EXPECT_TRUE(Selected(50, 50));
    EXPECT_TRUE(Selected(30, 100));
    EXPECT_FALSE(Selected(150, 40));
    EXPECT_EQ(g_canvas->DragState(), 0);
    // A right band over the red line's middle does not drop it: its run ends (second row 70) below the band.
    real::Drag(40, 40, 60, 65, 3);
    EXPECT_TRUE(Selected(50, 50));
    // A right band holding the red run's second row drops it.
    real::Drag(40, 60, 60, 90, 3);
    EXPECT_FALSE(Selected(50, 50));
    EXPECT_TRUE(Selected(30, 100));
}

TEST(Canvas, ReleasingOutsideTheWindowEndsTheBand) {
    Fresh();
    real::Press(140, 20);
    real::Move(160, 50);
    EXPECT_EQ(g_canvas->DragState(), 2);
    const wxPoint outside = g_canvas->ClientToScreen(wxPoint(g_canvas->GetClientSize().x + 40, 50));
    real::MoveToScreen(outside.x, outside.y);
    wxUIActionSimulator().MouseUp();
    Pump(40);
    real::Move(100, 40);
    EXPECT_EQ(g_canvas->DragState(), 0);
    EXPECT_TRUE(g_canvas->RubberBand().IsUnset());
    EXPECT_TRUE(Selected(150, 40)) << "the band was applied when it ended";
}

TEST(Canvas, ControlPressDrawsThePlotRectangleAndEdgesDragWithoutTrace) {
    Fresh();
    real::Drag(30, 30, 120, 110, 1, true);
    EXPECT_EQ(g_canvas->GetPlotRect(), (IRect{30, 30, 120, 110}));
    EXPECT_EQ(g_canvas->EdgeMask(), 0);
    // Cursors near the edges and corners.
    real::Move(30, 70);
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_SIZEWE);
    real::Move(75, 110);
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_SIZENS);
    real::Move(31, 31);
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_SIZENWSE);
    real::Move(119, 31);
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_SIZENESW);
    real::Move(75, 70);
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_ARROW);

    // The window as it looks with the right edge at 150, drawn from scratch.
    g_canvas->SetPlotRect({30, 30, 150, 110});
    const wxImage fresh = GrabClient(g_canvas);
    g_canvas->SetPlotRect({30, 30, 120, 110});
    GrabClient(g_canvas);
    // Drag the right edge there in small steps.
    real::Press(121, 70);
    EXPECT_EQ(g_canvas->EdgeMask(), 8);
    for (int x = 125; x <= 150; x += 5) real::Move(x, 70);
    real::Release(150, 70);
    EXPECT_EQ(g_canvas->GetPlotRect(), (IRect{30, 30, 150, 110}));
    const wxImage dragged = GrabClient(g_canvas);
    ASSERT_EQ(fresh.GetSize(), dragged.GetSize());
    int differing = 0;
    for (int y = 0; y < fresh.GetHeight(); ++y)
        for (int x = 0; x < fresh.GetWidth(); ++x)
            differing += fresh.GetRed(x, y) != dragged.GetRed(x, y) || fresh.GetGreen(x, y) != dragged.GetGreen(x, y) ||
                         fresh.GetBlue(x, y) != dragged.GetBlue(x, y);
    EXPECT_EQ(differing, 0) << "no trace of the earlier edge positions";

    // A corner drags both of its edges.
    real::Drag(30, 30, 40, 45);
    EXPECT_EQ(g_canvas->GetPlotRect(), (IRect{40, 45, 150, 110}));
}

TEST(Canvas, XCalibrationByTwoClicksAndTypedValues) {
    Fresh();
    Seam().Reset();
    Seam().texts = {"2.5e3", "oops", "4000"};
    real::Key('X');
    EXPECT_EQ(g_canvas->AxisMode(), 1);
    real::Click(20, 120);
    EXPECT_EQ(g_canvas->AxisMode(), 2);
    real::Click(160, 110);  // "oops": refused, the same point is asked again
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "No numeric value entered for the axis value, please try again");
    EXPECT_EQ(g_canvas->AxisMode(), 2);
    real::Move(165, 100);
    real::Click(170, 105);
    EXPECT_EQ(Seam().asked, (std::vector<std::string>{"Enter X0", "Enter X1", "Enter X1"}));
    const AxisCalibration& c = g_canvas->Calibration();
    EXPECT_TRUE(c.x1Set && c.x2Set);
    EXPECT_DOUBLE_EQ(c.xValue1, 2500);
    EXPECT_DOUBLE_EQ(c.xValue2, 4000);
    EXPECT_EQ(c.x1, (IPoint{20, 120}));
    EXPECT_EQ(c.x2, (IPoint{170, 120})) << "the second point takes the first point's row";
    real::Move(60, 60);
    EXPECT_EQ(g_canvas->AxisMode(), 0);
    const std::string status = g_mainFrame->GetStatusBar()->GetStatusText(0).ToStdString();
    EXPECT_EQ(status.rfind("Values: (", 0), 0u) << status;
    EXPECT_NE(status.find(", ?); Cursor: (60, 60)"), std::string::npos) << status;
}

TEST(Canvas, EscapeAndTheOtherAxisDiscardHalfDonePoints) {
    Fresh();
    Seam().Reset();
    Seam().texts = {"1", "5"};
    real::Key('x');  // lower case starts X too
    EXPECT_EQ(g_canvas->AxisMode(), 1);
    real::Click(20, 120);
    EXPECT_TRUE(g_canvas->Calibration().x1Set);
    real::Key(WXK_ESCAPE);
    EXPECT_EQ(g_canvas->AxisMode(), 0);
    EXPECT_FALSE(g_canvas->Calibration().x1Set);
    real::Key('X');
    real::Click(20, 120);
    real::Key('y');
    EXPECT_EQ(g_canvas->AxisMode(), 4);
    EXPECT_FALSE(g_canvas->Calibration().x1Set) << "starting Y discards the half-done X";
    real::Key('Y');
    EXPECT_EQ(g_canvas->AxisMode(), 4);
    real::Key(WXK_ESCAPE);
    EXPECT_EQ(g_canvas->AxisMode(), 0);
}

TEST(Canvas, CrossHairIsDrawnOnceAfterARepaint) {
    Fresh();
    real::Move(100, 60);
    real::Key('X');
    real::Move(90, 70);
    ASSERT_EQ(g_canvas->CrossHair(), (IPoint{90, 70}));
    g_canvas->Refresh();
    const wxImage shot = GrabClient(g_canvas);
    const wxPoint on = g_canvas->ImageToWindow({90, 20});
    const wxPoint off = g_canvas->ImageToWindow({95, 20});
    // Drawn twice by an exclusive-or it would vanish; drawn once it shows the cross-hair grey.
    EXPECT_EQ(wxColour(shot.GetRed(on.x, on.y), shot.GetGreen(on.x, on.y), shot.GetBlue(on.x, on.y)),
              wxColour(192, 192, 192));
    EXPECT_EQ(wxColour(shot.GetRed(off.x, off.y), shot.GetGreen(off.x, off.y), shot.GetBlue(off.x, off.y)),
              wxColour(255, 255, 255));
    real::Key(WXK_ESCAPE);
    const wxImage after = GrabClient(g_canvas);
    EXPECT_EQ(wxColour(after.GetRed(on.x, on.y), after.GetGreen(on.x, on.y), after.GetBlue(on.x, on.y)),
              wxColour(255, 255, 255))
        << "cancelling removes it";
}

TEST(Canvas, UndoAndRedoWalkThroughEveryKindOfEdit) {
    Fresh();
    std::vector<EditState> states{g_canvas->BuildEditState()};
    real::Click(50, 50);
    states.push_back(g_canvas->BuildEditState());
    real::Drag(140, 20, 160, 70);  // band picks the green line
    states.push_back(g_canvas->BuildEditState());
    real::Drag(10, 10, 190, 140, 1, true);  // a new plot rectangle
    states.push_back(g_canvas->BuildEditState());
    Seam().texts = {"0", "10"};
    real::Key('X');
    real::Click(20, 130);
    real::Click(180, 130);
    real::Move(100, 75);
    states.push_back(g_canvas->BuildEditState());
    real::Click(50, 50, 3);  // right click drops the red line
    states.push_back(g_canvas->BuildEditState());

    auto same = [](const EditState& a, const EditState& b) {
        return a.working == b.working && a.slots == b.slots && a.currentSlot == b.currentSlot && a.calib == b.calib &&
               a.plotRect == b.plotRect;
    };
    for (int i = int(states.size()) - 2; i >= 0; --i) {
        g_mainFrame->RunCommand(wxID_UNDO);
        EXPECT_TRUE(same(g_canvas->BuildEditState(), states[i])) << "undo to state " << i;
    }
    for (size_t i = 1; i < states.size(); ++i) {
        g_mainFrame->RunCommand(wxID_REDO);
        EXPECT_TRUE(same(g_canvas->BuildEditState(), states[i])) << "redo to state " << i;
    }
    g_mainFrame->RunCommand(wxID_REDO);
    EXPECT_TRUE(same(g_canvas->BuildEditState(), states.back()));
    // Undo with nothing left to step to changes nothing.
    for (int guard = 0; guard < 50 && g_canvas->CanUndo(); ++guard) g_mainFrame->RunCommand(wxID_UNDO);
    const EditState first = g_canvas->BuildEditState();
    g_mainFrame->RunCommand(wxID_UNDO);
    EXPECT_TRUE(same(g_canvas->BuildEditState(), first));
    while (g_canvas->CanRedo()) g_mainFrame->RunCommand(wxID_REDO);
    EXPECT_TRUE(same(g_canvas->BuildEditState(), states.back()));
    // A new action after an Undo drops the redo branch.
    g_mainFrame->RunCommand(wxID_UNDO);
    real::Click(150, 40, 3);
    EXPECT_FALSE(g_canvas->CanRedo());
    // Ctrl+Z reaches Undo.
    real::Key('Z', wxMOD_CONTROL);
    EXPECT_TRUE(same(g_canvas->BuildEditState(), states[states.size() - 2]));
}

TEST(Canvas, GraphSlotsKeepTheirPicksAcrossSwitchingAndReprocessing) {
    Fresh();
    real::Click(50, 50);
    g_mainFrame->RunCommand(ID_NEW_GRAPH);
    EXPECT_EQ(g_canvas->CurrentSlot(), 1);
    EXPECT_EQ(g_mainFrame->Toolbar()->FindById(ID_GRAPH_TOOL)->GetLabel(), "Graph-1");
    real::Click(150, 40);
    g_mainFrame->RunCommand(ID_GRAPH_FIRST);
    EXPECT_EQ(g_canvas->CurrentSlot(), 0);
    EXPECT_TRUE(Selected(50, 50));
    EXPECT_FALSE(Selected(150, 40));
    // Reprocessing with a different minimum size finds other patches; every slot keeps its picks.
    g_mainFrame->SetRemoveGrid(true);
    ProcessNow();
    g_mainFrame->SetRemoveGrid(false);
    std::vector<PatchList> graphs;
    g_canvas->GetSelectedGraphs(graphs);
    ASSERT_EQ(graphs.size(), 2u);
    EXPECT_EQ(graphs[0].size(), 1u);
    EXPECT_EQ(graphs[1].size(), 1u);
    g_mainFrame->RunCommand(ID_GRAPH_FIRST + 1);
    EXPECT_TRUE(Selected(150, 40));
}

TEST(Canvas, TextModeKeysAndRightPresses) {
    Fresh();
    real::Click(50, 50);
    real::Key('T');
    EXPECT_TRUE(g_canvas->IsTextMode());
    EXPECT_TRUE(g_mainFrame->IsOcrMode());
    real::Click(50, 50, 3);  // right presses do nothing in text mode
    EXPECT_EQ(g_canvas->WorkingSelection().size(), 1u);
    EXPECT_EQ(g_canvas->DragState(), 0);
    real::Key('t');
    EXPECT_FALSE(g_canvas->IsTextMode());
    EXPECT_FALSE(g_mainFrame->IsOcrMode());
    // Delete with no selected label changes nothing and records nothing.
    const bool couldUndo = g_canvas->CanUndo();
    const size_t picks = g_canvas->WorkingSelection().size();
    real::Key(WXK_DELETE);
    EXPECT_EQ(g_canvas->WorkingSelection().size(), picks);
    EXPECT_EQ(g_canvas->CanUndo(), couldUndo);
}

namespace {
bool WorkersDone() {
    return g_canvas->ThinnedCount() == g_canvas->AllPatches().size() && g_canvas->HoverKeyCount() > 0;
}
wxColour Shown(int x, int y) {
    const wxImage shot = GrabClient(g_canvas);
    const wxPoint w = g_canvas->ImageToWindow({x, y});
    return wxColour(shot.GetRed(w.x, w.y), shot.GetGreen(w.x, w.y), shot.GetBlue(w.x, w.y));
}
}  // namespace

TEST(Canvas, WorkersDeliverThinnedCurvesAndHighlightPictures) {
    Fresh();
    ASSERT_TRUE(PumpUntil(WorkersDone, 10000));
    // Reprocessing with an equal result starts no new workers; a different one replaces the results.
    const int started = g_canvas->ThinnedStarted();
    ProcessNow();
    EXPECT_EQ(g_canvas->ThinnedStarted(), started);
    g_mainFrame->RunCommand(wxID_REVERT);
    EXPECT_EQ(g_canvas->ThinnedCount(), 0u);
}

TEST(Canvas, HoveringHighlightsAnUnselectedPatchUntilTheMouseLeavesIt) {
    Fresh();
    ASSERT_TRUE(PumpUntil(WorkersDone, 10000));
    EXPECT_EQ(Shown(49, 40), wxColour(255, 255, 255));
    real::Move(51, 40);
    ASSERT_EQ(g_canvas->HoveredPatches().size(), 1u);
    EXPECT_EQ(Shown(49, 40), wxColour(255, 0, 255)) << "the 4-pixel highlight shows beside the line";
    real::Move(120, 10);
    EXPECT_TRUE(g_canvas->HoveredPatches().empty());
    EXPECT_EQ(Shown(49, 40), wxColour(255, 255, 255)) << "and goes when the mouse leaves";
    // A selected patch is not highlighted.
    real::Click(50, 40);
    real::Move(51, 41);
    EXPECT_TRUE(g_canvas->HoveredPatches().empty());
}

TEST(Canvas, ValueMarkersFollowTheMouseNearASelectedCurve) {
    Fresh();
    ASSERT_TRUE(PumpUntil(WorkersDone, 10000));
    real::Click(30, 100);  // the blue line
    real::Move(30, 107);   // seven rows below it
    ASSERT_EQ(g_canvas->ValueMarkers().size(), 1u);
    EXPECT_EQ(g_canvas->ValueMarkers()[0].text, "(30, 100)") << "without calibration markers show pixels";
    const wxColour ring = Shown(26, 100);
    EXPECT_LT(ring.Red() + ring.Green() + ring.Blue(), 400) << "the marker's circle is drawn";
    real::Move(30, 109);
    EXPECT_TRUE(g_canvas->ValueMarkers().empty());
    // Zoomed out no markers are made.
    wxGetApp().SetCanvasZoom(0.5);
    real::Move(30, 104);
    EXPECT_TRUE(g_canvas->ValueMarkers().empty());
    wxGetApp().SetCanvasZoom(1);
    // With both axes calibrated markers show values.
    Seam().Reset();
    Seam().texts = {"0", "100", "0", "10"};
    real::Key('X');
    real::Click(20, 140);
    real::Click(120, 140);
    real::Move(100, 70);
    real::Key('Y');
    real::Click(10, 100);
    real::Click(10, 0);
    real::Move(30, 105);  // the first motion ends the calibration mode
    real::Move(30, 104);
    ASSERT_EQ(g_canvas->ValueMarkers().size(), 1u);
    EXPECT_EQ(g_canvas->ValueMarkers()[0].text, "10, 0");
}

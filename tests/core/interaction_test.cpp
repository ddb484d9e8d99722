// The canvas's interaction modes, driven through the controller without a window.
#include <gtest/gtest.h>

#include <tuple>

#include "document/selection.h"
#include "support/builders.h"
#include "support/hosts.h"

namespace {

struct Bench {
    Document doc;
    FakeHost host;
    InteractionController ctl{doc, host};
    Bench() {
        doc.SetPicture(cv::Mat(200, 300, CV_8UC3, cv::Scalar::all(255)));
        const PatchList patches = {Column(100, 60, 120), Column(120, 60, 120), Column(200, 60, 120)};
        doc.InstallResults(PassResult({50, 40, 250, 160}, patches), {});
        doc.ClearHistory();
    }
    void Drag(IPoint from, IPoint to, bool right = false) {
        right ? ctl.RightDown(from) : ctl.LeftDown(from, false);
        ctl.Motion(to, !right, right);
        right ? ctl.RightUp() : ctl.LeftUp();
    }
};

}  // namespace

TEST(Interaction, AxisCalibrationByTwoClicks) {
    Bench b;
    b.host.typed = {"0", "oops", "8"};
    b.ctl.KeyDown(Key::X);
    EXPECT_EQ(b.ctl.Mode(), AxisMode::XFirst);
    EXPECT_EQ(b.ctl.CrossHair(), (IPoint{50, 50}));
    b.ctl.Motion({70, 180}, false, false);
    EXPECT_EQ(b.ctl.CrossHair(), (IPoint{70, 180}));
    b.ctl.LeftDown({70, 180}, false);
    EXPECT_EQ(b.ctl.Mode(), AxisMode::XSecond);
    b.ctl.Motion({230, 20}, false, false);
    EXPECT_EQ(b.ctl.CrossHair(), (IPoint{230, 180}));  // the second point only moves along the axis
    b.ctl.LeftDown({230, 20}, false);  // not a number: asked again at the next click
    EXPECT_EQ(b.host.shown, std::vector<std::string>{"No numeric value entered for the axis value, please try again"});
    EXPECT_EQ(b.ctl.Mode(), AxisMode::XSecond);
    b.ctl.LeftDown({230, 20}, false);
    EXPECT_EQ(b.ctl.Mode(), AxisMode::XDone);
    EXPECT_EQ(b.host.asked, (std::vector<std::string>{"X0", "X1", "X1"}));
    EXPECT_EQ(b.doc.GetCalibration(), (Calibration{0, 70, 8, 230, 0, -1, 0, -1, 180, -1}));
    b.ctl.OverlayDrawn();
    EXPECT_EQ(b.ctl.Mode(), AxisMode::None);
    // The whole calibration is one step.
    b.doc.Undo();
    EXPECT_EQ(b.doc.GetCalibration(), Calibration());
}

TEST(Interaction, StartingAnAxisKeepsOnlyAFinishedOtherAxis) {
    // the first axis, the points given on it, the key pressed next, whether the first axis is kept
    const std::tuple<Key, int, Key, bool> cases[] = {
        {Key::X, 1, Key::Y, false}, {Key::X, 2, Key::Y, true}, {Key::Y, 1, Key::X, false},
        {Key::Y, 2, Key::X, true},  {Key::X, 1, Key::Escape, false},
    };
    for (const auto& [first, clicks, then, firstKept] : cases) {
        Bench b;
        b.host.typed = {"1", "2"};
        b.ctl.KeyDown(first);
        for (int i = 0; i < clicks; ++i) b.ctl.LeftDown({60 + 100 * i, 150 - 50 * i}, false);
        b.ctl.KeyDown(then);
        const Calibration& cal = b.doc.GetCalibration();
        const int kept = first == Key::X ? cal.xPixel1 : cal.yPixel1;
        EXPECT_EQ(kept != -1, firstKept) << int(first) << " " << clicks << " " << int(then);
        EXPECT_EQ(b.ctl.Mode(), then == Key::Escape ? AxisMode::None
                                 : then == Key::X   ? AxisMode::XFirst
                                                    : AxisMode::YFirst);
    }
}

TEST(Interaction, PlotRectangleEdgesAndCursors) {
    // where the button goes down, the edges it holds, the cursor there, the rectangle after a drag to (260, 170)
    using Case = std::tuple<IPoint, unsigned, Cursor, IRect>;
    // The rectangle is (50, 40, 250, 160).
    const Case cases[] = {
        {{50, 100}, EdgeLeft, Cursor::SizeWE, {250, 40, 260, 160}},
        {{257, 100}, EdgeRight, Cursor::SizeWE, {50, 40, 260, 160}},
        {{150, 33}, EdgeTop, Cursor::SizeNS, {50, 160, 250, 170}},
        {{150, 167}, EdgeBottom, Cursor::SizeNS, {50, 40, 250, 170}},
        {{45, 45}, EdgeLeft | EdgeTop, Cursor::SizeNWSE, {250, 160, 260, 170}},
        {{255, 155}, EdgeRight | EdgeBottom, Cursor::SizeNWSE, {50, 40, 260, 170}},
        {{55, 155}, EdgeLeft | EdgeBottom, Cursor::SizeNESW, {250, 40, 260, 170}},
        {{245, 45}, EdgeRight | EdgeTop, Cursor::SizeNESW, {50, 160, 260, 170}},
    };
    for (const auto& [press, edges, cursor, after] : cases) {
        Bench b;
        EXPECT_EQ(b.ctl.HitTestPlotRect(press), edges);
        EXPECT_EQ(b.ctl.CursorShape(), cursor);
        b.ctl.LeftDown(press, false);
        EXPECT_EQ(b.ctl.EdgeMask(), edges);
        b.ctl.Motion({260, 170}, true, false);
        b.ctl.LeftUp();
        EXPECT_EQ(b.doc.PlotRect(), after) << press.x << "," << press.y;
        EXPECT_TRUE(b.doc.Undo());
        EXPECT_EQ(b.doc.PlotRect(), (IRect{50, 40, 250, 160}));
    }
    // Away from the edges: no edge, arrow; Control starts a new rectangle there.
    Bench b;
    EXPECT_EQ(b.ctl.HitTestPlotRect({150, 100}), 0u);
    EXPECT_EQ(b.ctl.CursorShape(), Cursor::Arrow);
    b.ctl.LeftDown({150, 100}, true);
    b.ctl.Motion({20, 10}, true, false);
    b.ctl.Motion({400, 10}, true, false);  // outside the picture: ignored
    b.ctl.LeftUp();
    EXPECT_EQ(b.doc.PlotRect(), (IRect{20, 10, 150, 100}));
}

TEST(Interaction, ClicksAndBandsPickAndUnpick) {
    Bench b;
    b.ctl.LeftDown({101, 80}, false);  // on the first patch
    EXPECT_EQ(b.doc.Selection().size(), 1u);
    EXPECT_EQ(b.ctl.Drag(), DragState::None);
    b.Drag({90, 50}, {210, 70});  // a band over all three adds the other two
    EXPECT_EQ(b.doc.Selection().size(), 3u);
    b.ctl.RightDown({200, 80});  // a right click drops one
    EXPECT_EQ(b.doc.Selection().size(), 2u);
    b.Drag({90, 100}, {130, 130}, true);  // the right band holds both second rows (120)
    EXPECT_TRUE(b.doc.Selection().empty());
    // A band whose button came up outside the window ends at the next motion.
    b.ctl.LeftDown({90, 50}, false);
    b.ctl.Motion({130, 70}, true, false);
    EXPECT_EQ(b.ctl.Drag(), DragState::LeftDragging);
    b.ctl.Motion({135, 75}, false, false);
    EXPECT_EQ(b.ctl.Drag(), DragState::None);
    EXPECT_EQ(b.doc.Selection().size(), 2u);
}

TEST(Interaction, HoverShowsOnlyUnpickedPatches) {
    Bench b;
    EXPECT_TRUE(b.ctl.Motion({121, 90}, false, false).draw);
    EXPECT_EQ(b.ctl.Hovered(), (PatchList{Column(120, 60, 120)}));
    b.ctl.LeftDown({121, 90}, false);
    b.ctl.Motion({121, 91}, false, false);
    EXPECT_TRUE(b.ctl.Hovered().empty());
    b.ctl.Motion({255, 100}, false, false);  // on an edge: the edge wins
    EXPECT_EQ(b.ctl.CursorShape(), Cursor::SizeWE);
}

TEST(Interaction, TextModeMarksAreasForRecognition) {
    Bench b;
    b.ctl.KeyDown(Key::T);
    EXPECT_TRUE(b.ctl.TextMode());
    EXPECT_EQ(b.ctl.CursorShape(), Cursor::Pencil);
    b.ctl.RightDown({101, 80});  // ignored
    EXPECT_TRUE(b.doc.Selection().empty());
    b.Drag({280, 190}, {350, 150});  // partly outside: clipped
    b.Drag({10, 10}, {10, 40});      // no width: not recognised
    ASSERT_EQ(b.host.recognised.size(), 1u);
    EXPECT_EQ(b.host.recognised[0], (IRect{280, 150, 300, 190}));
    EXPECT_TRUE(b.ctl.TextMode());  // several areas one after another
    b.ctl.KeyDown(Key::X);           // calibration ends text mode
    EXPECT_FALSE(b.ctl.TextMode());
    EXPECT_EQ(b.host.textModes, (std::vector<bool>{true, false}));
}

TEST(Interaction, LabelsAreSelectedEditedAndDeleted) {
    Bench b;
    b.doc.AddLabels({MakeLabel("5", LABEL_TEXT, 10, 10, 20, 10)});
    b.doc.SetLabelLayout(0, {10, 10, 30, 20}, 8);
    b.ctl.LeftDown({20, 15}, false);
    b.ctl.LeftUp();
    EXPECT_EQ(b.doc.SelectedLabel(), 0);
    b.host.editedText = "7";
    b.host.editedKinds = LABEL_XMAX;
    b.ctl.LeftDoubleClick({20, 15}, false);
    EXPECT_EQ(b.doc.Labels()[0].kind, LABEL_XMAX);  // what a kind does to the calibration is the document's test
    b.ctl.KeyDown(Key::Delete);
    EXPECT_TRUE(b.doc.Labels().empty());
}

// The document's edits, history and notifications, without a window.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "document/document.h"
#include "document/selection.h"
#include "support/builders.h"

namespace {

// A 100 x 80 picture with three processed patches: columns 10, 20 and 30.
Document Processed() {
    Document doc;
    doc.SetPicture(cv::Mat(80, 100, CV_8UC3, cv::Scalar::all(255)));
    ProcessResult r = PassResult({5, 5, 95, 75}, {Column(30, 10, 40), Column(10, 10, 40), Column(20, 10, 40)});
    r.channelThresholds = {1, 2, 3};
    doc.InstallResults(r, {});
    doc.ClearHistory();
    return doc;
}

TextLabel Label(const std::string& text, int left, int top, int kind) {
    return MakeLabel(text, kind, left, top, 20, 10);
}

PatchTest At(int x, int y) {
    return [=](const Patch& p) { return HitPatch({x, y}, p, kHitTolerance); };
}

}  // namespace

TEST(Document, EveryKindOfEditIsOneUndoableStep) {
    using Step = std::function<void(Document&)>;
    const auto none = [](Document&) {};
    const std::vector<TextLabel> two = {Label("0", 10, 60, LABEL_XMIN), Label("5", 60, 60, LABEL_TEXT)};
    const std::tuple<const char*, Step, Step> cases[] = {  // name, setup, the edit
        {"pick", none, [](Document& d) { d.Pick(At(20, 20)); }},
        {"unpick", [](Document& d) { d.Pick(At(20, 20)); }, [](Document& d) { d.Unpick(At(20, 20)); }},
        {"graph choice", none, [](Document& d) { d.SelectGraph(2); }},
        {"axis", none,
         [](Document& d) { d.StartAxis(Axis::X); d.SetAxisPoint(Axis::X, false, {10, 70}, 0); d.SetAxisPoint(Axis::X, true, {90, 70}, 8); }},
        {"calibration", none, [](Document& d) { d.SetCalibration({1, 2, 3, 40, 5, 60, 7, 8}); }},
        {"labels added", none, [&](Document& d) { d.AddLabels(two); }},
        {"label selected", [&](Document& d) { d.AddLabels(two); }, [](Document& d) { d.SelectLabel(1); }},
        {"label edited", [&](Document& d) { d.AddLabels(two); }, [](Document& d) { d.EditLabel(1, "7.5", LABEL_XMAX); }},
        {"label deleted", [&](Document& d) { d.AddLabels(two); d.SelectLabel(0); }, [](Document& d) { d.DeleteSelectedLabel(); }},
        {"plot rectangle", none, [](Document& d) { d.SetPlotRect({1, 2, 3, 4}); }},
        {"plot rectangle drag", none, [](Document& d) { d.BeginPlotRectEdit(); d.MovePlotRect({50, 60, 10, 20}); d.EndPlotRectEdit(); }},
        {"results", [](Document& d) { d.Pick(At(20, 20)); },
         [](Document& d) { d.InstallResults(PassResult({0, 0, 50, 50}, {Column(40, 0, 9)}), {}); }},
    };
    for (const auto& [name, setup, edit] : cases) {
        SCOPED_TRACE(name);
        Document doc = Processed();
        setup(doc);
        const DocumentState before = doc.State();
        edit(doc);
        const DocumentState after = doc.State();
        ASSERT_FALSE(after == before);
        ASSERT_TRUE(doc.Undo());
        EXPECT_TRUE(doc.State() == before);
        ASSERT_TRUE(doc.Redo());
        EXPECT_TRUE(doc.State() == after);
        EXPECT_FALSE(doc.Redo());
    }
}

TEST(Document, EditsThatChangeNothingRecordNothing) {
    const std::function<void(Document&)> edits[] = {
        [](Document& d) { d.Pick(At(60, 20)); },     // no patch there
        [](Document& d) { d.Unpick(At(20, 20)); },   // nothing picked
        [](Document& d) { d.DeleteSelectedLabel(); },
        [](Document& d) { d.EditLabel(0, "x", LABEL_TEXT); },  // no such label
    };
    for (const auto& edit : edits) {
        Document doc = Processed();
        edit(doc);
        EXPECT_FALSE(doc.CanUndo());
    }
}

TEST(Document, PicksFollowPatchOrderAndSkipWhatIsPicked) {
    Document doc = Processed();
    const auto band = [](const Patch& p) { return LeftBandTouches(p, {5, 0, 35, 50}); };
    EXPECT_EQ(doc.Pick(At(20, 20)), (PatchList{Column(20, 10, 40)}));
    EXPECT_EQ(doc.Pick(band), (PatchList{Column(10, 10, 40), Column(30, 10, 40)}));
    EXPECT_TRUE(doc.Pick(band).empty());
    doc.SelectGraph(1);
    EXPECT_TRUE(doc.Selection().empty());
    EXPECT_EQ(doc.Pick(At(30, 20)).size(), 1u);
    EXPECT_EQ(doc.Graphs().size(), 2u);
    EXPECT_EQ(doc.Graphs()[0].size(), 3u);
}

TEST(Document, AxisValueKindsMoveTheCalibrationAndClearingAnAxisClearsThemForGood) {
    Document doc = Processed();
    doc.AddLabels({Label("0", 10, 60, LABEL_XMIN), Label("25 mm", 60, 50, LABEL_TEXT), Label("7", 0, 0, LABEL_TEXT)});
    ASSERT_TRUE(doc.EditLabel(1, "25 mm", LABEL_XMIN));
    // Xmin moved off the first label; X point 1 sits below the middle of the second.
    EXPECT_EQ(doc.GetCalibration(), (Calibration{25, 70, 0, -1, 0, -1, 0, -1, 62, -1}));
    // A Y value stands right of the label, at its middle row.
    ASSERT_TRUE(doc.EditLabel(2, "7", LABEL_YMAX));
    EXPECT_EQ(doc.GetCalibration(), (Calibration{25, 70, 0, -1, 0, -1, 7, 5, 62, 22}));
    EXPECT_FALSE(doc.EditLabel(2, "7", LABEL_YMAX));
    EXPECT_EQ(LabelKinds(doc.Labels()), (std::vector<int>{0, LABEL_XMIN, LABEL_YMAX}));
    // Starting X again clears only the X kinds; text read later leaves them cleared.
    doc.StartAxis(Axis::X);
    doc.AddLabels({Label("abc", 40, 40, LABEL_TEXT)});
    EXPECT_EQ(LabelKinds(doc.Labels()), (std::vector<int>{0, 0, LABEL_YMAX, LABEL_TEXT}));
}

TEST(Document, NewResultsKeepPicksAndDropStaleWorkerData) {
    Document doc = Processed();
    doc.Pick(At(10, 20));
    const int old = doc.ResultsGeneration();
    doc.InstallResults(PassResult({1, 1, 99, 79}, {Column(50, 0, 5)}), {});
    EXPECT_EQ(doc.Patches(), (PatchList{Column(50, 0, 5), Column(10, 10, 40)}));
    EXPECT_EQ(doc.PlotRect(), (IRect{1, 1, 99, 79}));
    EXPECT_EQ(doc.ChannelThresholds().size(), 3u);
    // Workers started for the old patches hand back data nobody may show.
    EXPECT_FALSE(doc.AcceptThinned(old, ThinnedCurves(2)));
    EXPECT_FALSE(doc.AcceptHovers(old, HoverMap{{1, {}}}));
    EXPECT_TRUE(doc.Thinned().empty());
    EXPECT_TRUE(doc.AcceptThinned(doc.ResultsGeneration(), ThinnedCurves(2)));
    EXPECT_EQ(doc.Thinned().size(), 2u);
    // A pass over an area without ink keeps the patches.
    ProcessResult empty;
    empty.ran = true;
    doc.InstallResults(empty, {});
    EXPECT_EQ(doc.Patches().size(), 2u);
}

TEST(Document, RevertAndNewPictureStartClean) {
    for (const bool revert : {true, false}) {
        Document doc = Processed();
        doc.Pick(At(20, 20));
        doc.AddLabels({Label("1", 1, 1, LABEL_TEXT)});
        if (revert)
            doc.Revert();
        else
            doc.SetPicture(cv::Mat(5, 5, CV_8UC3));
        EXPECT_TRUE(doc.Patches().empty());
        EXPECT_TRUE(doc.State() == DocumentState());
        EXPECT_FALSE(doc.CanUndo());
        EXPECT_FALSE(doc.Processed());
        EXPECT_EQ(doc.Width(), revert ? 100 : 5);
    }
}

TEST(Document, AClickHitsARunWithinOnePixel) {
    // The run covers column 20, rows 10 to 40 (given in either order).
    const ::Run run{40, 20, 10};
    const std::pair<IPoint, bool> cases[] = {{{20, 25}, true},  {{21, 25}, true},  {{19, 25}, true},  {{22, 25}, false},
                          {{18, 25}, false}, {{20, 9}, true},   {{20, 8}, false},  {{20, 41}, true},
                          {{20, 42}, false}, {{21, 41}, true},  {{22, 41}, false}};
    for (const auto& [p, hit] : cases) EXPECT_EQ(HitRun(p, run, kHitTolerance), hit) << p.x << "," << p.y;
}

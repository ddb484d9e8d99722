// When closing or replacing the document must ask first, and the title that tells.
#include <gtest/gtest.h>

#include <functional>

#include "document/project_state.h"

namespace {

TEST(UnsavedWork, EditsAndPassesCountWorkerResultsDoNot) {
    const auto picture = [](Document& d) { d.SetPicture(cv::Mat(20, 30, CV_8UC3, cv::Scalar::all(255))); };
    ProcessResult pass;
    pass.ran = pass.inkFound = true;
    pass.plotArea = {1, 1, 29, 19};
    pass.patches = {Patch{::Run{2, 5, 9}}};
    struct Case {
        const char* name;
        std::function<void(Document&, UnsavedWork&)> steps;
        bool changed;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"a new picture", [&](Document& d, UnsavedWork&) { picture(d); }, false, ""},
        {"a processing pass", [&](Document& d, UnsavedWork&) { picture(d); d.InstallResults(pass, {}); }, true, ""},
        {"a pick", [&](Document& d, UnsavedWork&) { picture(d); d.InstallResults(pass, {}); d.Pick([](const Patch&) { return true; }); }, true, ""},
        {"saved", [&](Document& d, UnsavedWork& w) { picture(d); d.InstallResults(pass, {}); w.Saved("/p/a.plotsnap"); }, false, "/p/a.plotsnap"},
        {"worker results and a bare history step after saving",
         [&](Document& d, UnsavedWork& w) {
             picture(d);
             d.InstallResults(pass, {});
             w.Saved("/p/a.plotsnap");
             d.AcceptThinned(d.ResultsGeneration(), {});
             d.RecordStep();
         },
         false, "/p/a.plotsnap"},
        {"an edit after saving", [&](Document& d, UnsavedWork& w) { picture(d); w.Saved("a.plotsnap"); d.SetPlotRect({1, 2, 3, 4}); }, true, "a.plotsnap"},
        {"undo after saving", [&](Document& d, UnsavedWork& w) { picture(d); d.SetPlotRect({1, 2, 3, 4}); w.Saved("a"); d.Undo(); }, true, "a"},
        {"a new picture forgets the project", [&](Document& d, UnsavedWork& w) { picture(d); w.Saved("a.plotsnap"); d.SetCalibration({}); picture(d); }, false, ""},
    };
    for (const Case& c : cases) {
        Document doc;
        UnsavedWork work;
        work.Watch(doc);
        c.steps(doc, work);
        EXPECT_EQ(work.Changed(), c.changed) << c.name;
        EXPECT_EQ(work.ProjectPath(), c.path) << c.name;
    }
}

TEST(UnsavedWork, TitleNamesTheProjectAndMarksChanges) {
    EXPECT_EQ(WindowTitle("", true), "plotsnap");
    EXPECT_EQ(WindowTitle("/home/u/charts/fig 3.plotsnap", false), "fig 3.plotsnap - plotsnap");
    EXPECT_EQ(WindowTitle("fig.plotsnap", true), "*fig.plotsnap - plotsnap");
}

}  // namespace

// Start-up state, preferences and the "No image loaded" guard. These run first
// (the build links this file first) while the document is still empty.
#include <gtest/gtest.h>

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <cstdlib>
#include <fstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/FlickerFree.h"
#include "ui/GUIFrame.h"

TEST(Startup, FirstStartShowsDefaultState) {
    if (std::getenv("PLOTSNAP_TEST_HOME")) GTEST_SKIP() << "second start with stored settings";
    const StartupSnapshot& s = Startup();
    EXPECT_EQ(s.log.rfind("plotsnap version 1.21", 0), 0u) << s.log;
    EXPECT_EQ(s.log.back(), '\n');
    EXPECT_EQ(s.log.find('\n'), s.log.size() - 1) << "only the banner line";
    EXPECT_EQ(s.status0, "Welcome");
    EXPECT_EQ(s.graphLabel, "Graph-0");
    EXPECT_FALSE(s.removeGrid);
    EXPECT_EQ(s.gridWidth, 2);
    EXPECT_EQ(s.zoom, "1:1");
    EXPECT_FALSE(s.undoMenu);
    EXPECT_FALSE(s.redoMenu);
    EXPECT_FALSE(s.undoTool);
    EXPECT_FALSE(s.redoTool);
    EXPECT_FALSE(s.deleteItem);
    EXPECT_FALSE(s.clearHistory);
    // First run: the tip is offered with its box ticked.
    EXPECT_EQ(s.tipsShown, 1);
    EXPECT_TRUE(s.tipBoxInitial);
}

TEST(Startup, FirstStartHasDefaultPreferences) {
    if (std::getenv("PLOTSNAP_TEST_HOME")) GTEST_SKIP() << "second start with stored settings";
    const Preferences& p = wxGetApp().Prefs();
    EXPECT_FALSE(p.whiteBackground);
    EXPECT_FALSE(p.logScaleX);
    EXPECT_FALSE(p.logScaleY);
    EXPECT_EQ(p.minPatchSize, 3);
    EXPECT_EQ(p.lineFiltering, 1);
    EXPECT_FALSE(p.manualThreshold);
    EXPECT_EQ(p.threshold, 160);
    EXPECT_TRUE(p.showTooltips);
    EXPECT_TRUE(p.commonXAxis);
    EXPECT_FALSE(wxGetApp().IsImageLoaded());
}

// Runs in a second process started by StoredPreferencesAreReadOnNextStart.
TEST(Startup, SecondStartReadsStoredValues) {
    if (!std::getenv("PLOTSNAP_TEST_HOME")) GTEST_SKIP() << "only in the second start";
    const Preferences& p = wxGetApp().Prefs();
    EXPECT_TRUE(p.whiteBackground);
    EXPECT_TRUE(p.logScaleX);
    EXPECT_FALSE(p.logScaleY);
    EXPECT_EQ(p.minPatchSize, 0);  // out of range values are clamped as the Options dialog would
    EXPECT_EQ(p.lineFiltering, 1);
    EXPECT_TRUE(p.manualThreshold);
    EXPECT_EQ(p.threshold, 255);
    EXPECT_FALSE(p.showTooltips);
    EXPECT_FALSE(p.commonXAxis);
    // Not the first run and tips switched off: no tip at start-up.
    EXPECT_EQ(Startup().tipsShown, 0);
    EXPECT_TRUE(g_canvas->Calibration().xLog);
    EXPECT_FALSE(g_canvas->ShowValueMarkers());
}

TEST(Startup, StoredPreferencesAreReadOnNextStart) {
    if (std::getenv("PLOTSNAP_TEST_HOME")) GTEST_SKIP();
    const std::string home = TempDir("second-home");
    {
        std::ofstream cfg(home + "/.plotsnap");
        cfg << "NotFirstRun=1\n[Preferences]\nWhite background=1\nLogarithmic scale X=1\nLogarithmic scale Y=0\n"
               "Minimum patch size=-4\nThinning filtering=2\nManual threshold=1\nThreshold value=300\n"
               "Show tooltips=0\nCommon X axis=0\n";
    }
    wxString self = wxStandardPaths::Get().GetExecutablePath();
    const std::string cmd = "PLOTSNAP_TEST_HOME=" + home + " '" + self.ToStdString() +
                            "' --gtest_filter=Startup.SecondStartReadsStoredValues > " + home + "/out.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    std::ifstream out(home + "/out.txt");
    std::string text((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
    EXPECT_EQ(rc, 0) << text;
    EXPECT_NE(text.find("[  PASSED  ] 1 test"), std::string::npos) << text;
}

TEST(Startup, ConfigurationStaysInTheTestHome) {
    wxFileConfig* cfg = wxGetApp().Config();
    wxGetApp().SavePreferences();
    const wxString home = wxGetHomeDir();
    EXPECT_TRUE(wxFileExists(home + "/.plotsnap")) << home;
    EXPECT_TRUE(home.StartsWith("/tmp/")) << home;
    EXPECT_TRUE(cfg->HasEntry("Preferences/Threshold value"));
}

TEST(Guard, CommandsOnEmptyDocumentShowNoImageLoaded) {
    if (wxGetApp().IsImageLoaded()) GTEST_SKIP() << "an earlier test loaded an image";
    GUIFrame* frame = g_mainFrame;
    const std::string logBefore = LogText();
    const wxString titleBefore = frame->GetTitle();
    for (int id : {int(ID_PROCESS), int(ID_PROCESS_TOOL), int(wxID_REVERT), int(ID_X_AXIS), int(ID_Y_AXIS),
                   int(ID_FIT), int(ID_EXPORT), int(ID_GRAPH_FIRST), int(ID_NEW_GRAPH)}) {
        Seam().Reset();
        frame->RunCommand(id);
        ASSERT_EQ(Seam().messages.size(), 1u) << "command " << id;
        EXPECT_EQ(Seam().messages[0].text, "No image loaded");
        EXPECT_EQ(Seam().messages[0].caption, "plotsnap");
    }
    EXPECT_EQ(LogText(), logBefore);
    EXPECT_EQ(frame->GetTitle(), titleBefore);
    EXPECT_FALSE(wxGetApp().IsImageLoaded());
    EXPECT_EQ(frame->GraphCount(), 1);
    Seam().Reset();
}

TEST(Guard, GridControlsKeepInStepWithoutAnImage) {
    if (wxGetApp().IsImageLoaded()) GTEST_SKIP() << "an earlier test loaded an image";
    GUIFrame* frame = g_mainFrame;
    Seam().Reset();
    wxCommandEvent tick(wxEVT_CHECKBOX, ID_REMOVE_GRID_BOX);
    frame->SetRemoveGrid(false);
    frame->RemoveGridBox()->SetValue(true);
    tick.SetInt(1);
    frame->RemoveGridBox()->GetEventHandler()->ProcessEvent(tick);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ID_REMOVE_GRID));
    frame->GetMenuBar()->Check(ID_REMOVE_GRID, false);
    wxCommandEvent menu(wxEVT_MENU, ID_REMOVE_GRID);
    frame->GetEventHandler()->ProcessEvent(menu);
    EXPECT_FALSE(frame->RemoveGridValue());
    EXPECT_TRUE(Seam().messages.empty()) << "never complains without an image";
}

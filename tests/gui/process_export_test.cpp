// The processing commands and the export commands of the main window, with the
// real log pane, files and clipboard.
#include <gtest/gtest.h>

#include <wx/clipbrd.h>
#include <wx/filename.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/FlickerFree.h"
#include "ui/GUIFrame.h"

namespace {
std::string Chart(int w = 320, int h = 240, unsigned seed = 21) {
    return WriteChartFile(TempDir("proc" + std::to_string(seed)) + "/chart.png", w, h, seed);
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
    return n;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string ClipboardText() {
    wxClipboardLocker lock;
    wxTextDataObject data;
    if (!lock || !wxTheClipboard->GetData(data)) return {};
    return data.GetText().utf8_string();
}

// Clicks the middle of the longest patch (a curve, away from the frame's edges).
void PickLongestPatch() {
    const PatchList& all = g_canvas->AllPatches();
    const Patch& longest = *std::max_element(all.begin(), all.end(),
                                             [](const Patch& a, const Patch& b) { return a.size() < b.size(); });
    Patch runs = longest;  // runs are ordered by row; take the middle column
    std::sort(runs.begin(), runs.end(), [](const ::Run& a, const ::Run& b) { return a.col < b.col; });
    const ::Run& mid = runs[runs.size() / 2];
    real::Click(mid.col, mid.row1);
}

// Picks the longest patch into graph 0 and calibrates both axes by the seam.
void PickAndCalibrate() {
    PickLongestPatch();
    ASSERT_GE(g_canvas->WorkingSelection().size(), 1u);
    Seam().texts = {"0", "100", "0", "50"};
    real::Key('X');
    real::Click(10, 200);
    real::Click(300, 200);
    real::Key('Y');  // right after the second X value: X stays calibrated
    real::Click(20, 220);
    real::Click(20, 20);
    real::Move(150, 100);
    ASSERT_TRUE(g_canvas->Calibration().x2Set && g_canvas->Calibration().y2Set);
}
}  // namespace

TEST(Process, EveryProcessCommandRunsOnePassAndLogsIt) {
    ASSERT_TRUE(LoadPicture(Chart()));
    const std::string before = LogText();
    g_mainFrame->RunCommand(ID_PROCESS);
    g_mainFrame->RunCommand(ID_PROCESS_TOOL);
    real::Key(WXK_F2);
    const std::string added = LogText().substr(before.size());
    EXPECT_EQ(Count(added, "Performing detections...\n"), 3) << added;
    EXPECT_EQ(Count(added, "Processing complete!\n"), 3);
    EXPECT_NE(added.find("Number of detections (map): "), std::string::npos);
    EXPECT_TRUE(wxGetApp().IsProcessed());
    EXPECT_FALSE(g_canvas->AllPatches().empty());
    EXPECT_EQ(g_canvas->GetPlotRect(), (IRect{wxGetApp().Area().left, wxGetApp().Area().top, wxGetApp().Area().right,
                                              wxGetApp().Area().bottom}));
}

TEST(Process, ResultIsPaintedInCyclingColoursAndASecondEqualPassOnlyRefreshes) {
    ASSERT_TRUE(LoadPicture(Chart(300, 200, 22)));
    ProcessNow();
    const PatchList first = g_canvas->AllPatches();
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(std::is_sorted(first.begin(), first.end()));
    // The first patch is painted in the first colour of the cycle, on screen too.
    const ::Run& run = first.front().front();
    const wxImage& shown = g_canvas->DisplayImage();
    EXPECT_EQ(wxColour(shown.GetRed(run.col, run.row1), shown.GetGreen(run.col, run.row1), shown.GetBlue(run.col, run.row1)),
              wxColour(255, 96, 0));
    const int started = g_canvas->ThinnedStarted();
    ProcessNow();
    EXPECT_EQ(g_canvas->AllPatches(), first);
    EXPECT_EQ(g_canvas->ThinnedStarted(), started) << "an unchanged result starts no new work";
}

TEST(Process, RemoveGridControlsStayInStepAndEachChangeProcessesOnce) {
    ASSERT_TRUE(LoadPicture(Chart(300, 200, 23)));
    auto passes = [] { return Count(LogText(), "Performing detections...\n"); };
    int before = passes();
    g_mainFrame->RemoveGridBox()->SetValue(true);
    wxCommandEvent box(wxEVT_CHECKBOX, ID_REMOVE_GRID_BOX);
    box.SetInt(1);
    g_mainFrame->RemoveGridBox()->GetEventHandler()->ProcessEvent(box);
    EXPECT_TRUE(g_mainFrame->GetMenuBar()->IsChecked(ID_REMOVE_GRID));
    EXPECT_EQ(passes(), before + 1);
    EXPECT_NE(LogText().rfind("Removing grid...\nDegridding...\n"), std::string::npos);

    before = passes();
    g_mainFrame->GetMenuBar()->Check(ID_REMOVE_GRID, false);
    wxCommandEvent menu(wxEVT_MENU, ID_REMOVE_GRID);
    g_mainFrame->GetEventHandler()->ProcessEvent(menu);
    EXPECT_FALSE(g_mainFrame->RemoveGridValue());
    EXPECT_EQ(passes(), before + 1);

    // Every change of the grid width reprocesses: typing and the arrows both.
    before = passes();
    g_mainFrame->GridWidthControl()->SetValue(5);
    wxCommandEvent text(wxEVT_TEXT, ID_GRID_WIDTH);
    g_mainFrame->GridWidthControl()->GetEventHandler()->ProcessEvent(text);
    EXPECT_EQ(passes(), before + 1);
    g_mainFrame->SetGridWidth(2);
}

TEST(Process, LongGroupingAsksOnceThroughTheDialogSeam) {
    // 1500 x 1400 of ink: grouping paints more than 2,000,000 pixels.
    wxImage img(1500, 1400);
    img.SetRGB(wxRect(0, 0, 1500, 1400), 0, 0, 0);
    const std::string path = TempDir("ink") + "/ink.png";
    img.SaveFile(path);
    ASSERT_TRUE(LoadPicture(path));
    Seam().Reset();
    Seam().answers = {wxYES};
    ProcessNow();
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Processing seems to be taking longer than usual. Abort?");
    EXPECT_EQ(Seam().messages[0].caption, "Stop Operation?");
    EXPECT_NE(LogText().rfind("Processing complete!\n"), std::string::npos);
    // One connected patch, cut short: what was found so far is kept.
    EXPECT_EQ(g_canvas->AllPatches().size(), 1u);
}

TEST(Process, WhiteBackgroundShowsTheBinaryPicture) {
    wxImage img(120, 90);
    img.SetRGB(wxRect(0, 0, 120, 90), 200, 220, 255);  // pale blue paper
    img.SetRGB(wxRect(30, 20, 1, 30), 0, 0, 0);
    const std::string path = TempDir("white") + "/paper.png";
    img.SaveFile(path);
    ASSERT_TRUE(LoadPicture(path));
    wxGetApp().SetWhiteBackground(true);
    ProcessNow();
    const wxImage& shown = g_canvas->DisplayImage();
    EXPECT_EQ(wxColour(shown.GetRed(80, 70), shown.GetGreen(80, 70), shown.GetBlue(80, 70)), wxColour(255, 255, 255));
    wxGetApp().SetWhiteBackground(false);
}

TEST(Export, RefusesWithoutPicks) {
    ASSERT_TRUE(LoadPicture(Chart(320, 240, 24)));
    ProcessNow();
    Seam().Reset();
    g_mainFrame->RunCommand(ID_EXPORT);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "There are no selected graphs to export");
    EXPECT_TRUE(Seam().fileDialogs.empty());
    Seam().Reset();
    g_mainFrame->RunCommand(wxID_COPY);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "No graphs have been selected for export/copy");
}

TEST(Export, FileAndClipboardCarryTheSameText) {
    ASSERT_TRUE(LoadPicture(Chart(320, 240, 25)));
    ProcessNow();
    PickAndCalibrate();
    const std::string path = TempDir("export") + "/data.csv";
    Seam().Reset();
    Seam().files = {path};
    g_mainFrame->RunCommand(ID_EXPORT);
    ASSERT_EQ(Seam().fileDialogs, std::vector<std::string>{"Export graph data to file"});
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Data saved to file " + path + " successfully");
    EXPECT_NE(LogText().rfind("Data saved to file " + path + " successfully\n"), std::string::npos);
    const std::string written = Slurp(path);
    EXPECT_EQ(written.rfind("plotsnap", 0), 0u) << written;
    EXPECT_NE(written.find("\nX, Y_0\n"), std::string::npos) << written;

    Seam().Reset();
    g_mainFrame->RunCommand(wxID_COPY);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "Data copied to clipboard successfully");
    Pump(100);
    EXPECT_EQ(ClipboardText(), written);
}

TEST(Export, UnwritableDestinationsLeaveExistingFilesIntact) {
    ASSERT_TRUE(LoadPicture(Chart(320, 240, 26)));
    ProcessNow();
    PickAndCalibrate();
    const std::string dir = TempDir("unwritable");
    const std::string blocker = dir + "/not-a-folder";
    std::ofstream(blocker) << "keep me";
    for (const std::string& path : {dir + "/missing/data.csv", blocker + "/data.csv"}) {
        Seam().Reset();
        Seam().files = {path};
        g_mainFrame->RunCommand(ID_EXPORT);
        ASSERT_EQ(Seam().messages.size(), 2u) << path;
        EXPECT_EQ(Seam().messages[0].text, "Error opening file for writing data");
        EXPECT_EQ(Seam().messages[1].text, "Unable to open file for writing");
    }
    EXPECT_EQ(Slurp(blocker), "keep me");
}

TEST(Export, DeclinedDefaultScalesShowOnlyTheQuestion) {
    ASSERT_TRUE(LoadPicture(Chart(320, 240, 27)));
    ProcessNow();
    PickLongestPatch();
    const std::string path = TempDir("declined") + "/data.csv";
    Seam().Reset();
    Seam().files = {path};
    Seam().answers = {wxNO};
    g_mainFrame->RunCommand(ID_EXPORT);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "X and/or Y scales are not set, use default values?");
    EXPECT_EQ(Seam().messages[0].caption, "Export data");
    EXPECT_FALSE(wxFileExists(path));
}

// Projects in the real window: save, open, the question before a changed document
// is replaced or closed, and a damaged file that leaves the document alone.
#include <gtest/gtest.h>

#include <wx/dnd.h>

#include <fstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "core/cli_run.h"
#include "core/cli_sample_chart.h"
#include "document/selection.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

namespace {

// The window's Export to a file, answered by the seam.
std::string ExportThroughWindow(const std::string& path) {
    Seam().files = {path};
    g_mainFrame->RunCommand(ID_EXPORT);
    return cli_test::ReadFile(path);
}

}  // namespace

TEST(Projects, SaveOpenAndAskBeforeAChangedDocumentGoes) {
    Document& doc = wxGetApp().Doc();
    const std::string dir = TempDir("projects");
    const std::string chart = std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png";
    ASSERT_TRUE(LoadPicture(chart));
    ProcessNow();
    namespace sc = sample_chart;
    const auto near = [](double x, double y) {
        const IPoint at{int(sc::ColumnOf(x)), int(sc::RowOf(y))};
        return [at](const Patch& p) { return HitPatch(at, p, 6); };
    };
    doc.Pick(near(5, sc::Red(5)));
    doc.Pick(near(8, sc::Blue(8)));
    ASSERT_FALSE(doc.Selection().empty());
    doc.SetCalibration({0, 60, 10, 440, 0, 310, 100, 30, 340, 20});
    Seam().Reset();
    const std::string exported = ExportThroughWindow(dir + "/window.csv");
    ASSERT_NE(exported.find("X, Y"), std::string::npos);

    // Save Project asks for a name once and adds the extension.
    Seam().files = {dir + "/chart"};
    g_mainFrame->RunCommand(ID_SAVE_PROJECT);
    const std::string project = dir + "/chart.plotsnap";
    ASSERT_FALSE(cli_test::ReadFile(project).empty());
    EXPECT_EQ(g_mainFrame->GetTitle(), "plotsnap - chart.plotsnap");
    doc.SelectGraph(1);
    EXPECT_EQ(g_mainFrame->GetTitle(), "plotsnap - *chart.plotsnap");

    // Open, Paste, a drop and quitting each ask first; Cancel keeps the document.
    const cv::Mat* picture = &doc.Picture();
    const std::vector<std::pair<const char*, std::function<void()>>> replacing = {
        {"open", [&] { wxGetApp().LoadImageFile(wxFileName(chart)); }},
        {"paste", [&] { wxGetApp().PasteImage(wxImage(40, 30)); }},
        {"drop", [&] {
             wxArrayString files;
             files.Add(wxString::FromUTF8(chart));
             static_cast<wxFileDropTarget*>(g_mainFrame->GetDropTarget())->OnDropFiles(0, 0, files);
         }},
        {"quit", [&] { g_mainFrame->RunCommand(wxID_EXIT); Pump(50); }},
    };
    for (const auto& [name, act] : replacing) {
        Seam().Reset();
        Seam().saveAnswers = {wxCANCEL};
        act();
        EXPECT_EQ(std::make_tuple(Seam().saveQuestions.size(), &doc.Picture(), doc.CurrentGraph()),
                  std::make_tuple(size_t(1), picture, 1)) << name;
    }
    ASSERT_TRUE(g_mainFrame->IsShown());

    // A damaged file is refused with its message before anything is asked.
    const std::string whole = cli_test::ReadFile(project), bad = dir + "/cut.plotsnap";
    std::ofstream(bad, std::ios::binary) << whole.substr(0, whole.size() / 2);
    Seam().Reset();
    EXPECT_FALSE(wxGetApp().OpenProject(bad));
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].rfind("Can not open the project " + bad + ":\n", 0), 0u);
    EXPECT_TRUE(Seam().saveQuestions.empty());
    EXPECT_EQ(doc.CurrentGraph(), 1);

    // Discard, and the project opens as it was saved: the same export, from the window and the CLI.
    Seam().Reset();
    Seam().saveAnswers = {wxNO};
    ASSERT_TRUE(wxGetApp().OpenProject(project));
    EXPECT_EQ(doc.CurrentGraph(), 0);
    EXPECT_EQ(g_mainFrame->GetTitle(), "plotsnap - chart.plotsnap");
    EXPECT_EQ(ExportThroughWindow(dir + "/reopened.csv"), exported);
    cli_test::TempDir cliDir;
    EXPECT_EQ(cli_test::RunCli({"export", project}, cliDir).out, exported);

    // Save keeps the change in the project before the next picture replaces it.
    doc.SelectGraph(2);
    Seam().Reset();
    Seam().saveAnswers = {wxYES};
    ASSERT_TRUE(wxGetApp().LoadImageFile(wxFileName(chart)));
    EXPECT_TRUE(Seam().fileDialogs.empty());
    EXPECT_NE(cli_test::ReadFile(project).find("\"currentGraph\": 2"), std::string::npos);
    EXPECT_EQ(g_mainFrame->GetTitle(), "plotsnap - sample-chart.png");
}

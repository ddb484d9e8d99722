// A user's session on the real window under the X server, from start to export, copy
// and an OCR drag; calibration from tick labels after Process, undone in one step; projects
// saved, opened and asked about before a changed document goes. Behaviour in detail is
// tested on the document and controller.
#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>
#include <fstream>

#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dnd.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/hyperlink.h>
#include <wx/uiaction.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "core/cli_run.h"
#include "core/cli_sample_chart.h"
#include "document/png_image.h"
#include "document/selection.h"
#include "gui_support.h"
#include "text/ocr.h"
#include "ui/AboutDialog.h"
#include "ui/FlickerFree.h"
#include "ui/GUIFrame.h"
#include "ui/OptionsDialog.h"

namespace {
std::string ClipboardText() {
    wxClipboardLocker lock;
    wxTextDataObject data;
    if (!lock || !wxTheClipboard->GetData(data)) return {};
    return data.GetText().utf8_string();
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Reads one fixed word wherever it is asked.
class OneWordEngine : public OcrEngine {
public:
    void SetSegmentationMode(int) override {}
    void Recognise(const cv::Mat&, std::string& full, std::vector<cv::Rect>& rects, std::vector<std::string>& texts,
                   std::vector<float>& confs, int) override {
        full = "Legend\n";
        rects = {{16, 16, 80, 40}};
        texts = {"Legend\n"};
        confs = {90.f};
    }
};

bool Enabled(int id) { return g_mainFrame->GetMenuBar()->IsEnabled(id) && g_mainFrame->Toolbar()->GetToolEnabled(id); }
bool Pressed(int id) { return g_mainFrame->Toolbar()->GetToolState(id); }
std::string Status(int field) { return g_mainFrame->GetStatusBar()->GetStatusText(field).utf8_string(); }
unsigned Rgb(const wxImage& im, wxPoint p) { return im.GetRed(p.x, p.y) << 16 | im.GetGreen(p.x, p.y) << 8 | im.GetBlue(p.x, p.y); }

void ClickLogPane() {
    wxTextCtrl* pane = wxGetApp().LogPane();
    const wxPoint at = pane->ClientToScreen(wxPoint(pane->GetClientSize().x / 2, pane->GetClientSize().y / 2));
    real::MoveToScreen(at.x, at.y);
    wxUIActionSimulator().MouseClick();
    Pump(60);
}
}  // namespace

TEST(Smoke, StartsWithAnEmptyDocument) {
    const StartupSnapshot& s = Startup();
    EXPECT_EQ(std::tie(s.log, s.graphLabel, s.removeGrid, s.gridWidth, s.zoom, s.historyCommands, s.tipsShown),
              std::make_tuple(std::string(kVersionBanner) + "\n", "Graph-0", false, 2, "1:1", false, 1));
    // A command that needs a picture says so.
    Seam().Reset();
    g_mainFrame->RunCommand(ID_PROCESS);
    EXPECT_EQ(Seam().messages, std::vector<std::string>{"No image loaded"});
    // About links to the installed guide.
    std::string url;
    Seam().dialogHandler = [&](wxDialog& d) {
        if (auto* guide = dynamic_cast<wxHyperlinkCtrl*>(d.FindWindow(AboutNames::Manual)))
            url = guide->GetURL().ToStdString();
        return wxID_OK;
    };
    g_mainFrame->RunCommand(wxID_ABOUT);
    Seam().dialogHandler = nullptr;
    EXPECT_TRUE(wxFileName::URLToFileName(url).FileExists()) << url;
}

TEST(Smoke, AUserDigitizesAChart) {
    Document& doc = wxGetApp().Doc();
    const std::string chart = std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png";
    Seam().Reset();
    Seam().files = {chart};
    g_mainFrame->RunCommand(wxID_OPEN);
    Pump(100);
    ASSERT_TRUE(doc.HasPicture());
    EXPECT_NE(LogText().find("Successfully loaded image " + chart + "\n"), std::string::npos);
    EXPECT_TRUE(Enabled(wxID_UNDO) && Enabled(wxID_REDO));
    EXPECT_TRUE(Status(0).empty()) << "a new picture starts with a clear status bar";
    // The picture is narrower than the toolbar, which stays whole on the screen; the picture has no scroll bar.
    const int toolbar = g_mainFrame->Toolbar()->GetBestSize().x;
    EXPECT_LE(toolbar, 1280 - 24);
    EXPECT_GE(g_mainFrame->GetClientSize().x, toolbar);
    EXPECT_TRUE(g_canvas->GetClientSize().x >= doc.Width() && g_canvas->GetClientSize().y >= doc.Height());

    // The white background saved on, as after a restart: it must hold from the first pass.
    wxGetApp().Config()->Write(PrefKeys::WhiteBackground, true);
    wxGetApp().LoadPreferences();
    wxGetApp().SetWhiteBackground(wxGetApp().Prefs().whiteBackground);

    // Process with F2, then pick a curve with a real click: it is drawn in the pick colour.
    real::Click(5, 5);  // the canvas takes the keyboard
    real::Key(WXK_F2);
    ASSERT_FALSE(doc.Patches().empty());
    EXPECT_NE(LogText().find("Grouping...\nProcessing complete!\n"), std::string::npos);
    const IPoint curve{int(sample_chart::ColumnOf(5)), int(std::lround(sample_chart::RowOf(sample_chart::Red(5))))};
    real::Click(curve.x, curve.y);
    ASSERT_EQ(doc.Selection().size(), 1u);
    real::Move(curve.x + 40, 5);
    const wxImage shown = GrabClient(g_canvas);
    EXPECT_EQ(Rgb(shown, g_canvas->ImageToWindow(curve)), 0xFF00FFu);
    // Ink the pass dropped (the grid, anti-aliasing) shows as white paper: which pixels is the core's
    // rule (ShownBackground), that the canvas paints them from the first pass on is the window's.
    int cleared = 0;
    for (int y = 0; y < doc.Height(); y += 3)
        for (int x = 0; x < doc.Width(); x += 3)
            cleared += doc.Picture().at<cv::Vec3b>(y, x) != cv::Vec3b(255, 255, 255) && Rgb(shown, g_canvas->ImageToWindow({x, y})) == 0xFFFFFF;
    EXPECT_GT(cleared, 300);
    wxGetApp().SetWhiteBackground(false);
    wxGetApp().Config()->Write(PrefKeys::WhiteBackground, false);

    // Undo and Redo from the keyboard.
    real::Key('Z', wxMOD_CONTROL);
    EXPECT_TRUE(doc.Selection().empty());
    real::Key('Z', wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_EQ(doc.Selection().size(), 1u);

    // Calibrate both axes by keys and clicks, typing the values; X reaches the canvas from
    // the log pane too, and a logarithmic Y refuses 0 as it is typed and asks again.
    ClickLogPane();
    Seam().texts = {"0", "10", "0", "1", "100"};
    real::Key('X');
    EXPECT_TRUE(Pressed(ID_X_AXIS));
    EXPECT_EQ(Status(0).rfind("Click the first X reference point", 0), 0u) << Status(0);
    real::Click(60, 340);
    real::Click(440, 345);
    real::Move(250, 200);
    EXPECT_FALSE(Pressed(ID_X_AXIS));
    wxGetApp().SetLogarithmicY(true);
    EXPECT_EQ(Status(1), "X linear, Y logarithmic");
    real::Key('Y');
    real::Click(20, 310);
    real::Click(25, 30);
    real::Move(250, 200);
    EXPECT_EQ(Seam().asked, (std::vector<std::string>{"Enter X0", "Enter X1", "Enter Y0", "Enter Y0", "Enter Y1"}));
    ASSERT_FALSE(Seam().messages.empty());
    EXPECT_EQ(Seam().messages[0].rfind("The Y axis is logarithmic, so its values must be above zero; 0", 0), 0u);
    const Calibration& c = doc.GetCalibration();
    EXPECT_EQ((std::vector<int>{c.xPixel1, c.xPixel2, c.yPixel1, c.yPixel2}), (std::vector<int>{60, 440, 310, 30}));
    EXPECT_EQ((std::vector<double>{c.yValue1, c.yValue2}), (std::vector<double>{1, 100}));

    // Export with Ctrl+S under the offered name's folder, the extension added to the name
    // typed, then Ctrl+C: the same text in the file and on the clipboard.
    const std::string dir = TempDir("smoke");
    Seam().files = {dir + "/curve"};
    real::Key('S', wxMOD_CONTROL);
    EXPECT_EQ(Seam().offeredNames, (std::vector<std::string>{"sample-chart.csv"}));
    const std::string file = dir + "/curve.csv", written = cli_test::ReadFile(file);
    EXPECT_EQ(written.rfind(std::string(kVersionBanner), 0), 0u);
    EXPECT_GT(Count(written, "\n"), 100u);
    EXPECT_EQ(Seam().messages.back(), "Data saved to file " + file + " successfully");
    real::Key('C', wxMOD_CONTROL);
    EXPECT_EQ(Seam().messages.back(), "Data copied to clipboard successfully");
    EXPECT_EQ(ClipboardText(), written);
    wxGetApp().SetLogarithmicY(false);

    // An OCR drag in text mode draws its rectangle while the button is held and adds a label.
    wxGetApp().SetOcrEngine(std::make_shared<OneWordEngine>());
    real::Key('T');
    EXPECT_TRUE(wxGetApp().IsOcrMode());
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_PENCIL);
    EXPECT_NE(Status(0).find("Drag a rectangle over axis numbers"), std::string::npos);
    real::Press(300, 60);
    real::Move(350, 80);
    real::Move(400, 100);
    const wxImage dragged = GrabClient(g_canvas);
    int dark = 0;
    for (int x = 305; x < 395; ++x) dark += Rgb(dragged, g_canvas->ImageToWindow({x, 60})) < 0x646464;
    EXPECT_GT(dark, 20) << "the rectangle's top edge is drawn";
    real::Release(400, 100);
    ASSERT_EQ(doc.Labels().size(), 1u);
    EXPECT_EQ(doc.Labels()[0].text, "Legend");
    real::Key('T');
    EXPECT_FALSE(wxGetApp().IsOcrMode());
    wxGetApp().SetOcrEngine(nullptr);
    g_mainFrame->RunCommand(wxID_UNDO);
    EXPECT_TRUE(doc.Labels().empty());

    // A file that is no picture is named with the reason, in the box and the log; the chart stays.
    const std::string notes = dir + "/notes.png";
    wxFile(notes, wxFile::write).Write("plain text, not a picture\n");
    Seam().Reset();
    EXPECT_FALSE(wxGetApp().LoadImageFile(wxFileName(notes)));
    const std::string why = "Can not read image file " + notes + ": it is not a picture file";
    EXPECT_EQ(Seam().messages, std::vector<std::string>{why});
    EXPECT_NE(LogText().find(why + "\n"), std::string::npos);
    EXPECT_TRUE(doc.HasPicture());
    wxMenu* fileMenu = g_mainFrame->FileMenu();  // Quit stays last, after the recent files
    EXPECT_EQ(fileMenu->FindItemByPosition(fileMenu->GetMenuItemCount() - 1)->GetId(), wxID_EXIT);

    // A width typed in the box is applied by a pass once the typing settles.
    FlickerFreeSpinCtrl* width = g_mainFrame->GridWidthControl();
    const size_t logged = LogText().size();
    width->SetValue("34");
    wxCommandEvent changed(wxEVT_TEXT, ID_GRID_WIDTH);
    width->GetEventHandler()->ProcessEvent(changed);
    ASSERT_TRUE(PumpUntil([&] { return Count(LogText().substr(logged), "Processing complete!") == 1; }));
    EXPECT_EQ(doc.Settings().gridWidth, 34);
    g_mainFrame->SetGridWidth(2);
}

TEST(Smoke, ShiftClickTakesAWholeDashedCurve) {
    cv::Mat chart(300, 400, CV_8UC3, cv::Scalar::all(255));
    for (int x = 40; x < 360; x += 16) cv::line(chart, {x, 150}, {x + 9, 150}, cv::Scalar(0, 0, 255), 3);
    const std::string file = TempDir("dashes") + "/dashes.png";
    std::ofstream(file, std::ios::binary) << EncodePng(chart);
    ASSERT_TRUE(LoadPicture(file));
    ProcessNow();
    Document& doc = wxGetApp().Doc();
    ASSERT_TRUE(PumpUntil([&] { return doc.Patches().size() == 20; }));
    real::Click(45, 150);
    EXPECT_EQ(doc.Selection().size(), 1u);  // a plain click takes one dash
    real::Click(77, 150, true);
    EXPECT_EQ(doc.Selection().size(), 20u);  // Shift+click every dash, as one step
    real::Key('Z', wxMOD_CONTROL);
    EXPECT_EQ(doc.Selection().size(), 1u);
}

TEST(Smoke, OptionsChangeOnlyWhatWasEdited) {
    const Preferences before = wxGetApp().Prefs();
    Seam().Reset();
    Seam().dialogHandler = [](wxDialog& d) {
        for (const char* name : {OptionsNames::LogScaleX, "Bridge crossings"}) {
            auto* box = dynamic_cast<wxCheckBox*>(d.FindWindow(name));
            EXPECT_NE(box, nullptr) << name;
            if (box) box->SetValue(!box->GetValue());
        }
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        d.FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
        return wxID_OK;
    };
    const std::string log = LogText();
    g_mainFrame->RunCommand(ID_OPTIONS);
    EXPECT_EQ(LogText().substr(log.size()),
              std::string(before.logScaleX ? "X scale is linear\n" : "X scale is logarithmic\n") +
                  (before.bridgeCrossings ? "Curves are not bridged where another curve crosses them\n"
                                          : "Curves are bridged where another curve crosses them\n"));
    EXPECT_EQ(wxGetApp().Prefs().logScaleX, !before.logScaleX);
    EXPECT_EQ(wxGetApp().Prefs().bridgeCrossings, !before.bridgeCrossings);
    EXPECT_EQ(g_canvas->Readout().logX, !before.logScaleX);
    wxGetApp().SetLogarithmicX(before.logScaleX);
    wxGetApp().SetBridgeCrossings(before.bridgeCrossings);
    wxGetApp().SavePreferences();
    Seam().dialogHandler = nullptr;
}

TEST(TickLabelsWindow, ProcessCalibratesBothAxesFromTheLabelsWithMarksDrawn) {
    curvetapApp& app = wxGetApp();
    app.SetAutoCalibrate(true);
    ASSERT_TRUE(LoadPicture(std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/ticks-linear-log.png"));
    ProcessNow();
    Pump(100);
    // The values read and their log lines are the command line's test; here the result reaches the document.
    const Calibration c = app.Doc().GetCalibration();
    ASSERT_TRUE(c.xPixel1 >= 0 && c.xPixel2 >= 0 && c.yPixel1 >= 0 && c.yPixel2 >= 0);
    EXPECT_TRUE(app.Prefs().logScaleY && !app.Prefs().logScaleX);

    // The marks are drawn: the blue tick across the X axis at its first point.
    const wxImage shown = GrabClient(g_canvas);
    const int x = c.xPixel1, y = c.xRow + 4;
    ASSERT_TRUE(x < shown.GetWidth() && y < shown.GetHeight());
    EXPECT_GT(shown.GetBlue(x, y), 180);
    EXPECT_LT(shown.GetRed(x, y), 100);

    // The whole calibration is one step.
    app.Undo();
    Pump(30);
    EXPECT_TRUE(app.Doc().GetCalibration().xPixel1 < 0 && app.Doc().GetCalibration().yPixel1 < 0);
    app.SetAutoCalibrate(false);
    app.SetLogarithmicY(false);
}

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

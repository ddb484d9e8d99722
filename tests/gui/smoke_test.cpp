// A user's whole session on the real window under the X server: start, open,
// process, pick (Shift too), undo, calibrate, export, copy, an OCR drag, options and
// the grid width. Behaviour in detail is tested on the document and controller.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/filename.h>
#include <wx/hyperlink.h>
#include <wx/spinctrl.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "core/cli_run.h"
#include "core/cli_sample_chart.h"
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
}  // namespace

TEST(Smoke, StartsWithAnEmptyDocument) {
    const StartupSnapshot& s = Startup();
    EXPECT_EQ(s.log, std::string(kVersionBanner) + "\n");
    EXPECT_EQ(s.graphLabel, "Graph-0");
    EXPECT_FALSE(s.removeGrid);
    EXPECT_EQ(s.gridWidth, 2);
    EXPECT_EQ(s.zoom, "1:1");
    EXPECT_FALSE(s.undoMenu || s.redoMenu || s.undoTool || s.redoTool || s.deleteItem || s.clearHistory);
    EXPECT_EQ(s.tipsShown, 1);
    // A command that needs a picture says so.
    Seam().Reset();
    g_mainFrame->RunCommand(ID_PROCESS);
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, "No image loaded");
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

    // Process with F2, then pick a curve with a real click: it is drawn in the pick colour.
    real::Click(5, 5);  // the canvas takes the keyboard
    real::Key(WXK_F2);
    ASSERT_FALSE(doc.Patches().empty());
    EXPECT_NE(LogText().find("Grouping...\nProcessing complete!\n"), std::string::npos);
    const IPoint curve = OnLongestCurve();
    real::Click(curve.x, curve.y);
    ASSERT_EQ(doc.Selection().size(), 1u);
    real::Move(curve.x + 40, 5);
    const wxImage shown = GrabClient(g_canvas);
    const wxPoint at = g_canvas->ImageToWindow(curve);
    EXPECT_EQ(shown.GetRed(at.x, at.y) * 65536 + shown.GetGreen(at.x, at.y) * 256 + shown.GetBlue(at.x, at.y), 0xFF00FF);

    // Undo and Redo from the keyboard.
    real::Key('Z', wxMOD_CONTROL);
    EXPECT_TRUE(doc.Selection().empty());
    real::Key('Z', wxMOD_CONTROL | wxMOD_SHIFT);
    EXPECT_EQ(doc.Selection().size(), 1u);

    // Calibrate both axes by keys and clicks, typing the values.
    Seam().texts = {"0", "10", "0", "100"};
    real::Key('X');
    real::Click(60, 340);
    real::Click(440, 345);
    real::Move(250, 200);
    real::Key('Y');
    real::Click(20, 310);
    real::Click(25, 30);
    real::Move(250, 200);
    EXPECT_EQ(Seam().asked, (std::vector<std::string>{"Enter X0", "Enter X1", "Enter Y0", "Enter Y1"}));
    const Calibration& c = doc.GetCalibration();
    EXPECT_EQ((std::vector<int>{c.xPixel1, c.xPixel2, c.yPixel1, c.yPixel2}), (std::vector<int>{60, 440, 310, 30}));

    // Export with Ctrl+S, then Copy: the same text in the file and on the clipboard.
    const std::string file = TempDir("smoke") + "/curve.csv";
    Seam().files = {file};
    real::Key('S', wxMOD_CONTROL);
    const std::string written = cli_test::ReadFile(file);
    EXPECT_EQ(written.rfind(std::string(kVersionBanner), 0), 0u);
    EXPECT_GT(Count(written, "\n"), 100u);
    ASSERT_FALSE(Seam().messages.empty());
    EXPECT_EQ(Seam().messages.back().text, "Data saved to file " + file + " successfully");
    g_mainFrame->RunCommand(wxID_COPY);
    EXPECT_EQ(Seam().messages.back().text, "Data copied to clipboard successfully");
    EXPECT_EQ(ClipboardText(), written);

    // An OCR drag in text mode adds a label; T leaves the mode.
    wxGetApp().SetOcrEngine(std::make_shared<OneWordEngine>());
    real::Key('T');
    EXPECT_TRUE(wxGetApp().IsOcrMode());
    EXPECT_EQ(g_canvas->CursorKind(), wxCURSOR_PENCIL);
    real::Drag(300, 60, 400, 100);
    ASSERT_EQ(doc.Labels().size(), 1u);
    EXPECT_EQ(doc.Labels()[0].text, "Legend");
    real::Key('T');
    EXPECT_FALSE(wxGetApp().IsOcrMode());
    wxGetApp().SetOcrEngine(nullptr);
    // Undo takes the label away again.
    g_mainFrame->RunCommand(wxID_UNDO);
    EXPECT_TRUE(doc.Labels().empty());
}

TEST(Smoke, ShiftClickTakesTheWholeCurveAndShiftRightClickDropsIt) {
    namespace sc = sample_chart;
    // The red curve cut in two by a white gap: two patches of one class.
    cv::Mat chart = sc::Draw();
    chart(cv::Rect(int(sc::ColumnOf(5)), sc::kTop + 2, 5, sc::kBottom - sc::kTop - 4)).setTo(cv::Scalar::all(255));
    const std::string file = TempDir("shift") + "/cut.ppm";
    ASSERT_TRUE(cli_test::WritePpm(file, chart));
    ASSERT_TRUE(LoadPicture(file));
    ProcessNow();
    Document& doc = wxGetApp().Doc();
    const IPoint left{int(sc::ColumnOf(2)), int(std::lround(sc::RowOf(sc::Red(2))))};
    const IPoint right{int(sc::ColumnOf(8)), int(std::lround(sc::RowOf(sc::Red(8))))};
    real::Click(left.x, left.y);
    ASSERT_EQ(doc.Selection().size(), 1u);
    Pump(600);  // a second press at once would be a double click
    real::Click(left.x, left.y, 1, false, true);
    EXPECT_EQ(doc.Selection().size(), 2u);
    real::Click(right.x, right.y, 3, false, true);
    EXPECT_TRUE(doc.Selection().empty());
    real::Key('Z', wxMOD_CONTROL);
    EXPECT_EQ(doc.Selection().size(), 2u);
}

TEST(Smoke, OptionsChangeOnlyWhatWasEdited) {
    const Preferences before = wxGetApp().Prefs();
    Seam().Reset();
    Seam().dialogHandler = [](wxDialog& d) {
        EXPECT_EQ(d.GetTitle(), "plotsnap Options");
        auto* box = dynamic_cast<wxCheckBox*>(d.FindWindow(OptionsNames::LogScaleX));
        EXPECT_NE(box, nullptr);
        if (box) box->SetValue(!box->GetValue());
        wxCommandEvent ok(wxEVT_BUTTON, wxID_OK);
        d.FindWindow(wxID_OK)->GetEventHandler()->ProcessEvent(ok);
        return wxID_OK;
    };
    const std::string log = LogText();
    g_mainFrame->RunCommand(ID_OPTIONS);
    EXPECT_EQ(LogText().substr(log.size()), before.logScaleX ? "X scale is linear\n" : "X scale is logarithmic\n");
    EXPECT_EQ(wxGetApp().Prefs().logScaleX, !before.logScaleX);
    EXPECT_EQ(g_canvas->Readout().logX, !before.logScaleX);
    wxGetApp().SetLogarithmicX(before.logScaleX);
    wxGetApp().SavePreferences();
    Seam().dialogHandler = nullptr;
}

TEST(Smoke, AboutLinksToTheInstalledGuide) {
    std::string url;
    Seam().Reset();
    Seam().dialogHandler = [&](wxDialog& d) {
        if (auto* guide = dynamic_cast<wxHyperlinkCtrl*>(d.FindWindow(AboutNames::Manual)))
            url = guide->GetURL().ToStdString();
        return wxID_OK;
    };
    g_mainFrame->RunCommand(wxID_ABOUT);
    Seam().dialogHandler = nullptr;
    EXPECT_TRUE(wxFileName::URLToFileName(url).FileExists()) << url;
}

TEST(Smoke, TypingAGridWidthProcessesOnceWithTheLastValue) {
    Document& doc = wxGetApp().Doc();
    ASSERT_TRUE(LoadPicture(std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png"));
    ProcessNow();
    FlickerFreeSpinCtrl* width = g_mainFrame->GridWidthControl();
    const std::string log = LogText();
    // Two keystrokes in quick succession: one pass, after the typing settles.
    for (const char* text : {"3", "34"}) {
        width->SetValue(text);
        wxCommandEvent changed(wxEVT_TEXT, ID_GRID_WIDTH);
        width->GetEventHandler()->ProcessEvent(changed);
        Pump(20);
    }
    EXPECT_EQ(Count(LogText().substr(log.size()), "Processing complete!"), 0u);
    ASSERT_TRUE(PumpUntil([&] { return Count(LogText().substr(log.size()), "Processing complete!") == 1; }));
    EXPECT_EQ(doc.Settings().gridWidth, 34);
    // What the workers hand back belongs to the patches on show.
    ASSERT_TRUE(PumpUntil([&] { return doc.Thinned().size() == doc.Patches().size(); }));
    Pump(300);
    EXPECT_EQ(Count(LogText().substr(log.size()), "Processing complete!"), 1u);
    g_mainFrame->SetGridWidth(2);
}

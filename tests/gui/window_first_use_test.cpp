// What a new user meets first, with real X input on the real window: every tool
// stays on screen, Ctrl+C and the single keys work wherever the focus is, the
// text-area drag shows its rectangle, the calibration modes say what to do, and
// the white background holds from the first Process on. The texts themselves are
// tested as rules in the core.
#include <gtest/gtest.h>

#include <wx/clipbrd.h>
#include <wx/file.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/uiaction.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "text/ocr.h"
#include "ui/GUIFrame.h"

namespace {
const std::string kChart = std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png";

class NothingEngine : public OcrEngine {
public:
    void SetSegmentationMode(int) override {}
    void Recognise(const cv::Mat&, std::string& full, std::vector<cv::Rect>&, std::vector<std::string>&,
                   std::vector<float>&, int) override {
        full.clear();
    }
};

std::string Status(int field) { return g_mainFrame->GetStatusBar()->GetStatusText(field).utf8_string(); }
bool Pressed(int id) { return g_mainFrame->Toolbar()->GetToolState(id); }
unsigned Rgb(const wxImage& im, wxPoint p) { return im.GetRed(p.x, p.y) << 16 | im.GetGreen(p.x, p.y) << 8 | im.GetBlue(p.x, p.y); }

void ClickLogPane() {
    wxTextCtrl* pane = wxGetApp().LogPane();
    const wxPoint at = pane->ClientToScreen(wxPoint(pane->GetClientSize().x / 2, pane->GetClientSize().y / 2));
    real::MoveToScreen(at.x, at.y);
    wxUIActionSimulator().MouseClick();
    Pump(60);
}
}  // namespace

TEST(FirstUse, ToolsStayOnScreenAndKeysWorkWhereverTheFocusIs) {
    Document& doc = wxGetApp().Doc();
    ASSERT_TRUE(LoadPicture(kChart));  // 480 px wide: narrower than the toolbar
    const int toolbar = g_mainFrame->Toolbar()->GetBestSize().x;
    EXPECT_LE(toolbar, 1280 - 24) << "the toolbar must fit the screen";
    EXPECT_GE(g_mainFrame->GetClientSize().x, toolbar);

    // Ctrl+C on the canvas copies the picked curve.
    real::Click(5, 5);
    real::Key(WXK_F2);
    ASSERT_FALSE(doc.Patches().empty());
    const IPoint curve = OnLongestCurve();
    real::Click(curve.x, curve.y);
    ASSERT_FALSE(doc.Selection().empty());
    doc.SetAxisPoint(Axis::X, false, {60, 340}, 0);
    doc.SetAxisPoint(Axis::X, true, {440, 340}, 10);
    doc.SetAxisPoint(Axis::Y, false, {20, 310}, 0);
    doc.SetAxisPoint(Axis::Y, true, {20, 30}, 100);
    Seam().Reset();
    real::Key('C', wxMOD_CONTROL);
    ASSERT_FALSE(Seam().messages.empty());
    EXPECT_EQ(Seam().messages.back().text, "Data copied to clipboard successfully");

    // Export offers the picture's name; a name typed without an extension gets ".csv".
    const std::string dir = TempDir("first-use");
    Seam().files = {dir + "/curve"};
    real::Key('S', wxMOD_CONTROL);
    EXPECT_EQ(Seam().offeredNames, (std::vector<std::string>{"sample-chart.csv"}));
    EXPECT_TRUE(wxFileExists(dir + "/curve.csv"));
    // A file that is no picture is named with the reason, in the box and the log; the chart stays.
    const std::string notes = dir + "/notes.png";
    wxFile(notes, wxFile::write).Write("plain text, not a picture\n");
    Seam().Reset();
    EXPECT_FALSE(wxGetApp().LoadImageFile(wxFileName(notes)));
    const std::string why = "Can not read image file " + notes + ": it is not a picture file";
    ASSERT_EQ(Seam().messages.size(), 1u);
    EXPECT_EQ(Seam().messages[0].text, why);
    EXPECT_NE(LogText().find(why + "\n"), std::string::npos);
    EXPECT_TRUE(doc.HasPicture());
    // Quit stays last in File, after the recent files.
    wxMenu* file = g_mainFrame->FileMenu();
    EXPECT_EQ(file->FindItemByPosition(file->GetMenuItemCount() - 1)->GetId(), wxID_EXIT);

    // X, Y, T and A reach the canvas from the log pane as well.
    ClickLogPane();
    real::Key('X');
    EXPECT_EQ(g_canvas->Controller().Mode(), AxisMode::XFirst);
    real::Key(WXK_ESCAPE);
    EXPECT_EQ(g_canvas->Controller().Mode(), AxisMode::None);

    // Fit keeps the toolbar whole and shows the picture with a margin: no scroll bar.
    real::Key('=', wxMOD_CONTROL);
    Pump(100);
    EXPECT_GE(g_mainFrame->GetClientSize().x, toolbar);
    EXPECT_GE(g_canvas->GetClientSize().x, doc.Width());
    EXPECT_GE(g_canvas->GetClientSize().y, doc.Height());
}

TEST(FirstUse, CalibrationModesAndTheTextAreaShowWhatIsGoingOn) {
    Document& doc = wxGetApp().Doc();
    ASSERT_TRUE(LoadPicture(kChart));
    EXPECT_TRUE(Status(0).empty()) << "a new picture starts with a clear status bar";
    EXPECT_EQ(Status(1), "X linear, Y linear");
    real::Click(5, 5);

    // X: pressed, and each step says what to click; a finished axis says what comes next.
    Seam().texts = {"0", "10"};
    real::Key('X');
    EXPECT_TRUE(Pressed(ID_X_AXIS));
    EXPECT_FALSE(Pressed(ID_Y_AXIS));
    EXPECT_EQ(Status(0).rfind("Click the first X reference point", 0), 0u) << Status(0);
    real::Move(200, 200);
    EXPECT_EQ(Status(0).rfind("Click the first X reference point", 0), 0u) << "motion keeps the guidance";
    real::Click(60, 340);
    EXPECT_EQ(Status(0).rfind("Click the second X reference point", 0), 0u) << Status(0);
    real::Click(440, 340);
    EXPECT_FALSE(Pressed(ID_X_AXIS));
    EXPECT_NE(LogText().find("X axis calibrated. Press Y to calibrate the Y axis."), std::string::npos);

    // A logarithmic Y refuses 0 as it is typed and asks again; the status bar names the kinds.
    wxGetApp().SetLogarithmicY(true);
    EXPECT_EQ(Status(1), "X linear, Y logarithmic");
    Seam().Reset();
    Seam().texts = {"0", "1", "100"};
    real::Key('Y');
    EXPECT_TRUE(Pressed(ID_Y_AXIS));
    EXPECT_NE(Status(0).find("Y is logarithmic, so values must be above zero"), std::string::npos) << Status(0);
    real::Click(20, 310);
    real::Click(20, 30);
    ASSERT_FALSE(Seam().messages.empty());
    EXPECT_EQ(Seam().messages[0].text.rfind("The Y axis is logarithmic, so its values must be above zero; 0", 0), 0u);
    EXPECT_EQ(Seam().asked, (std::vector<std::string>{"Enter Y0", "Enter Y0", "Enter Y1"}));
    EXPECT_EQ(doc.GetCalibration().yValue1, 1);
    EXPECT_EQ(doc.GetCalibration().yValue2, 100);
    wxGetApp().SetLogarithmicY(false);

    // The text-area drag draws its rectangle while the button is held, dark on the white picture.
    wxGetApp().SetOcrEngine(std::make_shared<NothingEngine>());
    real::Key('T');
    EXPECT_NE(Status(0).find("Drag a rectangle over axis numbers"), std::string::npos);
    real::Press(300, 60);
    real::Move(350, 80);
    real::Move(400, 100);
    const wxImage shown = GrabClient(g_canvas);
    int dark = 0;
    for (int x = 305; x < 395; ++x) {
        const wxPoint p = g_canvas->ImageToWindow({x, 60});
        dark += shown.GetRed(p.x, p.y) < 100 && shown.GetGreen(p.x, p.y) < 100;
    }
    EXPECT_GT(dark, 20) << "the rectangle's top edge is drawn";
    real::Release(400, 100);
    real::Key('T');
    wxGetApp().SetOcrEngine(nullptr);
}

TEST(FirstUse, WhiteBackgroundSavedOnHoldsFromTheFirstProcess) {
    Document& doc = wxGetApp().Doc();
    // As after a restart with the option saved on.
    wxGetApp().Config()->Write(PrefKeys::WhiteBackground, true);
    wxGetApp().LoadPreferences();
    wxGetApp().SetWhiteBackground(wxGetApp().Prefs().whiteBackground);
    ASSERT_TRUE(LoadPicture(kChart));
    real::Click(5, 5);
    real::Key(WXK_F2);
    ASSERT_FALSE(doc.Binary().empty());
    real::Move(5, 5);
    const auto check = [&](const char* when) {
        const wxImage shown = GrabClient(g_canvas);
        const cv::Mat& bin = doc.Binary();
        const cv::Mat& pic = doc.Picture();
        int ink = 0, cleared = 0, wrong = 0;
        for (int y = 0; y < bin.rows; y += 3)
            for (int x = 0; x < bin.cols; x += 3) {
                const cv::Vec3b c = pic.at<cv::Vec3b>(y, x);
                if (bin.at<uchar>(y, x) != 255 || c[0] + c[1] + c[2] > 700) continue;
                // Ink the processing dropped (grid, anti-aliasing) shows as white paper.
                ++ink;
                cleared += Rgb(shown, g_canvas->ImageToWindow({x, y})) == 0xFFFFFF;
            }
        for (const ::Run& r : doc.Patches()[0]) wrong += Rgb(shown, g_canvas->ImageToWindow({r.col, r.row1})) == 0;
        EXPECT_GT(ink, 0) << when;
        EXPECT_GT(cleared, ink * 9 / 10) << when;
        EXPECT_EQ(wrong, 0) << when << ": patches keep their colours";
    };
    check("first Process");
    // Off, then on again, as Options does it.
    for (bool on : {false, true}) {
        wxGetApp().SetWhiteBackground(on);
        wxGetApp().ApplyWhiteBackground();
        wxGetApp().ProcessImage();
        Pump(100);
    }
    check("after off and on");
    wxGetApp().SetWhiteBackground(false);
    wxGetApp().Config()->Write(PrefKeys::WhiteBackground, false);
}

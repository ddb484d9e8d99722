// Text labels on the canvas: drawn and fitted once, picked by a click, edited
// through the label dialog (axis kinds calibrate), deleted, and written by Export.
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include <fstream>
#include <sstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "text/LabelDialog.h"
#include "ui/GUIFrame.h"

namespace {
TextLabel Label(const std::string& text, int left, int top, int width, int height, int kind = LABEL_TEXT) {
    TextLabel l;
    l.text = text;
    l.left = left;
    l.top = top;
    l.width = width;
    l.height = height;
    l.kind = kind;
    return l;
}

void Blank(int w = 300, int h = 260) {
    wxImage img(w, h);
    img.SetRGB(wxRect(0, 0, w, h), 255, 255, 255);
    const std::string path = TempDir("labels") + "/blank.png";
    img.SaveFile(path);
    ASSERT_TRUE(LoadPicture(path));
}

// Answers the label dialog: types a text and sets exactly these kinds, then OK.
void AnswerDialog(const std::string& text, int kinds) {
    Seam().dialogHandler = [text, kinds](wxDialog& d) {
        auto& dialog = dynamic_cast<LabelDialog&>(d);
        dialog.SetResult(text, kinds);
        return wxID_OK;
    };
}
}  // namespace

TEST(Labels, AreDrawnOnceFittedAndKeepTheirFontSize) {
    Blank();
    g_canvas->SetTextLabels({Label("0.5", 20, 30, 40, 16), Label("Time", 100, 200, 60, 20)});
    GrabClient(g_canvas);  // paints
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_NE(labels[0].fontSize, -1);
    EXPECT_GE(labels[0].boxWidth, 40);
    EXPECT_LE(labels[0].boxLeft, 20);
    const int fitted = labels[0].fontSize;
    GrabClient(g_canvas);
    g_canvas->GetTextLabels(labels);
    EXPECT_EQ(labels[0].fontSize, fitted);
    // The light-yellow box is on the screen.
    const wxImage shot = GrabClient(g_canvas);
    const wxPoint corner = g_canvas->ImageToWindow({labels[1].boxLeft + 1, labels[1].boxTop + 1});
    EXPECT_EQ(wxColour(shot.GetRed(corner.x, corner.y), shot.GetGreen(corner.x, corner.y), shot.GetBlue(corner.x, corner.y)),
              wxColour(255, 255, 224));
}

TEST(Labels, ClickSelectsAndDeleteRemovesWithUndo) {
    Blank();
    g_canvas->SetTextLabels({Label("peak", 40, 40, 50, 20)});
    GrabClient(g_canvas);
    real::Click(60, 50);
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_TRUE(labels[0].selected);
    EXPECT_TRUE(g_mainFrame->GetMenuBar()->IsEnabled(wxID_DELETE));
    real::Key(WXK_DELETE);
    g_canvas->GetTextLabels(labels);
    EXPECT_TRUE(labels.empty());
    EXPECT_TRUE(wxGetApp().TextLabels().empty()) << "the document's copy follows";
    g_mainFrame->RunCommand(wxID_UNDO);
    g_canvas->GetTextLabels(labels);
    EXPECT_EQ(labels.size(), 1u);
}

TEST(Labels, AxisKindsFromTheDialogCalibrate) {
    Blank();
    g_canvas->SetTextLabels({Label("20", 10, 200, 30, 12), Label("0", 50, 230, 20, 12), Label("9", 150, 230, 20, 12)});
    GrabClient(g_canvas);
    // Ymin on the first label: Y point 1 just right of the middle of its box.
    real::Click(25, 206);
    AnswerDialog("20", LABEL_YMIN);
    real::Key(WXK_RETURN);
    EXPECT_EQ(g_canvas->Calibration().y1, (IPoint{42, 206}));
    EXPECT_TRUE(g_canvas->Calibration().y1Set);
    EXPECT_DOUBLE_EQ(g_canvas->Calibration().yValue1, 20);
    // Xmin on the second, then on the third: the first loses it and X point 1 moves.
    real::Click(60, 236);
    AnswerDialog("0", LABEL_XMIN);
    real::Key(WXK_RETURN);
    EXPECT_EQ(g_canvas->Calibration().x1, (IPoint{60, 244}));
    real::Click(160, 236);
    AnswerDialog("1e3", LABEL_XMIN);
    real::Key(WXK_RETURN);
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    EXPECT_EQ(labels[1].kind & LABEL_XMIN, 0);
    EXPECT_EQ(labels[2].kind, LABEL_XMIN);
    EXPECT_EQ(labels[2].text, "1e3");
    EXPECT_EQ(g_canvas->Calibration().x1, (IPoint{160, 244}));
    EXPECT_DOUBLE_EQ(g_canvas->Calibration().xValue1, 1000);
    // OK without changes records nothing.
    const size_t before = wxGetApp().TextLabels().size();
    AnswerDialog("1e3", LABEL_XMIN);
    real::Key(WXK_RETURN);
    EXPECT_EQ(wxGetApp().TextLabels().size(), before);
}

TEST(Labels, TextModeDragReadsTheAreaIntoLabels) {
    ASSERT_TRUE(LoadPicture(std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png"));
    const std::string before = LogText();
    real::Key('T');
    ASSERT_TRUE(g_canvas->IsTextMode());
    real::Drag(200, 333, 300, 359);  // the X axis title
    const std::string added = LogText().substr(before.size());
    EXPECT_NE(added.find("OCR result:\n"), std::string::npos) << added;
    EXPECT_TRUE(g_canvas->IsTextMode()) << "text mode stays on for the next area";
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    ASSERT_FALSE(labels.empty()) << added;
    EXPECT_NE(labels[0].text.find("time"), std::string::npos) << labels[0].text;
    real::Key('T');
    EXPECT_FALSE(g_canvas->IsTextMode());
}

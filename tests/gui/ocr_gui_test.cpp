// Text recognition from the window: a real Tesseract reading of a drawn number,
// the document's thresholds filled on the way, and engine failures reported
// through a message box without stopping the operation.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstring>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "text/ocr.h"
#include "ui/GUIFrame.h"

namespace {
std::string Digits(const std::string& text) {
    std::string d;
    std::copy_if(text.begin(), text.end(), std::back_inserter(d), [](char c) { return c >= '0' && c <= '9'; });
    return d;
}

// A white picture with black text drawn in it, saved as PNG. Axis-number sizes
// (scale about 0.8, some 17 pixels high) are what the 8x enlargement is made for.
std::string TextPicture(const std::string& name, const std::string& text, double scale) {
    cv::Mat m(160, 420, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::putText(m, text, {60, 100}, cv::FONT_HERSHEY_SIMPLEX, scale, cv::Scalar(0, 0, 0), 2, cv::LINE_AA);
    wxImage img(m.cols, m.rows);
    std::memcpy(img.GetData(), m.data, m.total() * 3);
    const std::string path = TempDir(name) + "/text.png";
    EXPECT_TRUE(SaveImage(img, path));
    return path;
}

// The canvas fills in where it drew each label; compare what recognition set.
bool SamePlaces(const std::vector<TextLabel>& a, const std::vector<TextLabel>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TextLabel& x, const TextLabel& y) {
        return x.text == y.text && x.left == y.left && x.top == y.top && x.width == y.width &&
               x.height == y.height && x.orientation == y.orientation && x.kind == y.kind;
    });
}

// Fails every call, like an engine that has lost its data.
class BrokenEngine : public OcrEngine {
public:
    void SetSegmentationMode(int) override {}
    void Recognise(const cv::Mat&, std::string&, std::vector<cv::Rect>&, std::vector<std::string>&,
                   std::vector<float>&, int) override {
        ++calls;
        throw -1;
    }
    int calls = 0;
};

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
}  // namespace

TEST(OcrWindow, ReadsADrawnNumberIntoALabelWithRealTesseract) {
    ASSERT_TRUE(LoadPicture(TextPicture("ocr-real", "125", 0.8)));
    ASSERT_TRUE(wxGetApp().ChannelThresholds().empty());
    real::Click(400, 150);  // the canvas takes the keyboard
    real::Key('T');         // text mode, as the user would enter it
    ASSERT_TRUE(wxGetApp().IsOcrMode());
    const std::string before = LogText();

    wxGetApp().RecogniseArea(30, 40, 260, 90);
    Pump(30);

    const std::string added = LogText().substr(before.size());
    EXPECT_NE(added.find("OCR result:\n"), std::string::npos) << added;
    const std::vector<TextLabel>& labels = wxGetApp().TextLabels();
    ASSERT_FALSE(labels.empty()) << added;
    const auto found = std::find_if(labels.begin(), labels.end(),
                                    [](const TextLabel& l) { return Digits(l.text).find("125") != std::string::npos; });
    ASSERT_NE(found, labels.end()) << added;
    EXPECT_EQ(found->kind, LABEL_TEXT);
    EXPECT_EQ(found->orientation, 0);
    EXPECT_EQ(found->fontSize, -1);
    // Placed over the drawn digits (they start at x 60, baseline y 100).
    EXPECT_GE(found->left, 45);
    EXPECT_LE(found->left, 75);
    EXPECT_GT(found->top + found->height, 80);
    EXPECT_LT(found->top, 100);
    EXPECT_NE(added.find(found->text + "\n"), std::string::npos);
    std::vector<TextLabel> shown;
    g_canvas->GetTextLabels(shown);
    EXPECT_TRUE(SamePlaces(shown, labels));
    EXPECT_TRUE(Seam().messages.empty());
    EXPECT_TRUE(wxGetApp().IsOcrMode());  // several areas can be marked in a row

    // The whole picture's levels were recorded first; processing keeps using them.
    ASSERT_EQ(wxGetApp().ChannelThresholds().size(), 3u);
    const std::vector<double> levels = wxGetApp().ChannelThresholds();
    real::Key('T');
    ProcessNow();
    ASSERT_EQ(wxGetApp().ChannelThresholds().size(), 6u);
    EXPECT_TRUE(std::equal(levels.begin(), levels.end(), wxGetApp().ChannelThresholds().begin()));
}

TEST(OcrWindow, EngineFailuresShowOneMessageEachAndNewLabelsAreAppended) {
    ASSERT_TRUE(LoadPicture(TextPicture("ocr-fake", "Legend", 1.0)));
    auto word = std::make_shared<OneWordEngine>();
    wxGetApp().SetOcrEngine(word);
    wxGetApp().RecogniseArea(50, 60, 100, 40);
    ASSERT_EQ(wxGetApp().TextLabels().size(), 1u);
    EXPECT_EQ(wxGetApp().TextLabels()[0].left, 52);

    auto broken = std::make_shared<BrokenEngine>();
    wxGetApp().SetOcrEngine(broken);
    const std::string before = LogText();
    wxGetApp().RecogniseArea(10, 10, 100, 40);
    wxGetApp().SetOcrEngine(nullptr);

    EXPECT_EQ(broken->calls, 4);  // upright (no retry after a failure), then three turned passes
    ASSERT_EQ(Seam().messages.size(), 4u);
    for (const ShownMessage& m : Seam().messages) {
        EXPECT_EQ(m.text, "OCR internal error");
        EXPECT_EQ(m.caption, "plotsnap");
    }
    EXPECT_EQ(LogText().substr(before.size()), "Empty area for OCR\nOCR result:\n");
    // The earlier label stays, shown on the canvas.
    ASSERT_EQ(wxGetApp().TextLabels().size(), 1u);
    std::vector<TextLabel> shown;
    g_canvas->GetTextLabels(shown);
    EXPECT_TRUE(SamePlaces(shown, wxGetApp().TextLabels()));
}

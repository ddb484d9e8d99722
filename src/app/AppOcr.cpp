// Text recognition of a marked area into Text labels.
#include <opencv2/core.hpp>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "canvas/ScrolledImageComponent.h"
#include "detect/binarise.h"
#include "text/tesseract_engine.h"
#include "text/ocr.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

void curvetapApp::SetOcrEngine(std::shared_ptr<OcrEngine> engine) { ocrEngine = std::move(engine); }

void curvetapApp::RecogniseArea(const IRect& box) {
    const cv::Mat& image = doc.Picture();
    const cv::Rect area =
        cv::Rect(box.left, box.top, box.right - box.left, box.bottom - box.top) & cv::Rect(0, 0, image.cols, image.rows);
    if (area.empty()) return;
    wxBusyCursor busy;
    // Loading the engine and its language data takes a moment: only on first use.
    if (!ocrEngine) ocrEngine = TesseractEngine::Create();
    if (!ocrEngine) {
        Ui().Message("Text recognition is not available: the OCR engine could not be started", kAppName,
                      wxOK | wxICON_ERROR, g_mainFrame);
        return;
    }
    if (doc.ChannelThresholds().empty()) {
        cv::Mat unused;  // only the levels are wanted; processing later reuses them
        std::vector<double> levels;
        BinariseByChannels(unused, image, levels, 3);
        doc.AddChannelThresholds(levels);
    }
    const cv::Mat prepared = PrepareOcrImage(image, area, doc.ChannelThresholds());
    doc.AddLabels(RunOcr(*ocrEngine, prepared, area, log, [] {
        Ui().Message("OCR internal error", kAppName, wxOK, g_mainFrame);
    }));
}

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

void curvetapApp::RecogniseArea(int x, int y, int w, int h) {
    const cv::Rect area = cv::Rect(x, y, w, h) & cv::Rect(0, 0, image.cols, image.rows);
    if (area.empty()) return;
    wxBusyCursor busy;
    // Loading the engine and its language data takes a moment: only on first use.
    if (!ocrEngine) ocrEngine = TesseractEngine::Create();
    if (!ocrEngine) {
        Ui().Message("Text recognition is not available: the OCR engine could not be started", kAppName,
                      wxOK | wxICON_ERROR, g_mainFrame);
        return;
    }
    if (channelThresholds.empty()) {
        cv::Mat unused;  // only the levels are wanted; processing later reuses them
        BinariseByChannels(unused, image, channelThresholds, 3);
    }
    const cv::Mat prepared = PrepareOcrImage(image, area, channelThresholds);
    const std::vector<TextLabel> found = RunOcr(*ocrEngine, prepared, area, log, [] {
        Ui().Message("OCR internal error", kAppName, wxOK, g_mainFrame);
    });
    textLabels.insert(textLabels.end(), found.begin(), found.end());
    if (g_canvas) g_canvas->SetTextLabels(textLabels);
}

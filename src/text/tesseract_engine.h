#pragma once
// The recognition engine behind the OCR command: Tesseract with English data.
#include <memory>

#include "text/ocr.h"

namespace tesseract {
class TessBaseAPI;
}

// Segmentation mode 6 reads the image as one block of text, 10 as a single
// character, 7 as one line. Component level 1 gives one component per text line
// (a title or a legend stays whole); level 0 one per word, so the numeric rerun
// splits a row of axis numbers into one label each; level 2 one per character.
// Failures throw the engine's int status (-1 when it gives none).
class TesseractEngine : public OcrEngine {
public:
    // Null when Tesseract or its English data cannot be loaded (the library is opened on first use).
    static std::shared_ptr<TesseractEngine> Create();
    ~TesseractEngine() override;

    void SetSegmentationMode(int mode) override;
    void SetCharacterSet(const std::string& characters) override;
    void Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                   std::vector<std::string>& texts, std::vector<float>& confidences, int level) override;

private:
    TesseractEngine() = default;
    tesseract::TessBaseAPI* api_ = nullptr;  // the engine's own handle, ended with the engine
};

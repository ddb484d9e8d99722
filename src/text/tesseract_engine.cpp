#include "text/tesseract_engine.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>

namespace {
// Tesseract hands out text it allocated with new[].
std::string TakeText(char* text) {
    std::string s = text ? text : "";
    delete[] text;
    return s;
}
}  // namespace

std::shared_ptr<TesseractEngine> TesseractEngine::Create() {
    std::shared_ptr<TesseractEngine> engine(new TesseractEngine());
    engine->api_ = std::make_unique<tesseract::TessBaseAPI>();
    // Its own diagnostics would only clutter the terminal.
    engine->api_->SetVariable("debug_file", "/dev/null");
    if (engine->api_->Init(nullptr, "eng") != 0) return nullptr;
    return engine;
}

TesseractEngine::~TesseractEngine() {
    if (api_) api_->End();
}

void TesseractEngine::SetSegmentationMode(int mode) {
    if (mode < tesseract::PSM_OSD_ONLY || mode >= tesseract::PSM_COUNT) throw -1;
    api_->SetPageSegMode(static_cast<tesseract::PageSegMode>(mode));
}

void TesseractEngine::SetCharacterSet(const std::string& characters) {
    api_->SetVariable("tessedit_char_whitelist", characters.c_str());
}

void TesseractEngine::Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                                std::vector<std::string>& texts, std::vector<float>& confidences, int level) {
    if (prepared.empty()) {
        fullText.clear();
        return;
    }
    if (prepared.type() != CV_8UC1) throw -1;
    api_->SetImage(prepared.data, prepared.cols, prepared.rows, 1, int(prepared.step));
    // The area was enlarged from screen-resolution text; say so rather than let
    // Tesseract guess (and warn about) a resolution.
    api_->SetSourceResolution(300);
    const int status = api_->Recognize(nullptr);
    if (status != 0) {
        api_->Clear();
        throw status;
    }
    char* all = api_->GetUTF8Text();
    if (!all) {
        api_->Clear();
        throw -1;
    }
    fullText = TakeText(all);

    const tesseract::PageIteratorLevel unit = level == 0   ? tesseract::RIL_WORD
                                              : level == 2 ? tesseract::RIL_SYMBOL
                                                           : tesseract::RIL_TEXTLINE;
    std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    if (it) {
        do {
            if (it->Empty(unit)) continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!it->BoundingBox(unit, &left, &top, &right, &bottom)) continue;
            rects.emplace_back(left, top, right - left, bottom - top);
            texts.push_back(TakeText(it->GetUTF8Text(unit)));
            confidences.push_back(std::clamp(it->Confidence(unit), 0.0f, 100.0f));
        } while (it->Next(unit));
    }
    it.reset();
    api_->Clear();
}

#include "text/tesseract_engine.h"

#include <tesseract/capi.h>

#include <dlfcn.h>

#include <algorithm>

namespace {
// The engine is loaded on first use, not linked: its library tree (with curl, TLS and
// leptonica) would cost every start of the program, and most runs read no text.
struct TesseractLibrary {
    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPISetVariable) setVariable = nullptr;
    decltype(&TessBaseAPIInit3) init = nullptr;
    decltype(&TessBaseAPIEnd) end = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPISetSourceResolution) setSourceResolution = nullptr;
    decltype(&TessBaseAPIRecognize) recognize = nullptr;
    decltype(&TessBaseAPIGetUTF8Text) utf8Text = nullptr;
    decltype(&TessBaseAPIClear) clear = nullptr;
    decltype(&TessBaseAPIGetIterator) iterator = nullptr;
    decltype(&TessResultIteratorDelete) iteratorDelete = nullptr;
    decltype(&TessResultIteratorNext) next = nullptr;
    decltype(&TessResultIteratorGetPageIterator) pageIterator = nullptr;
    decltype(&TessPageIteratorBoundingBox) boundingBox = nullptr;
    decltype(&TessResultIteratorGetUTF8Text) iteratorText = nullptr;
    decltype(&TessResultIteratorConfidence) confidence = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;
    bool loaded = false;
};

template <class F>
bool Bind(void* library, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

const TesseractLibrary& Library() {
    static const TesseractLibrary lib = [] {
        TesseractLibrary l;
        // Kept for the life of the process: the engine's worker threads outlive any one use.
        void* so = dlopen(PLOTSNAP_TESSERACT_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!so) so = dlopen("libtesseract.so", RTLD_NOW | RTLD_LOCAL);
        if (!so) return l;
        l.loaded = Bind(so, "TessBaseAPICreate", l.create) && Bind(so, "TessBaseAPIDelete", l.destroy) &&
                   Bind(so, "TessBaseAPISetVariable", l.setVariable) && Bind(so, "TessBaseAPIInit3", l.init) &&
                   Bind(so, "TessBaseAPIEnd", l.end) && Bind(so, "TessBaseAPISetPageSegMode", l.setPageSegMode) &&
                   Bind(so, "TessBaseAPISetImage", l.setImage) &&
                   Bind(so, "TessBaseAPISetSourceResolution", l.setSourceResolution) &&
                   Bind(so, "TessBaseAPIRecognize", l.recognize) && Bind(so, "TessBaseAPIGetUTF8Text", l.utf8Text) &&
                   Bind(so, "TessBaseAPIClear", l.clear) && Bind(so, "TessBaseAPIGetIterator", l.iterator) &&
                   Bind(so, "TessResultIteratorDelete", l.iteratorDelete) &&
                   Bind(so, "TessResultIteratorNext", l.next) &&
                   Bind(so, "TessResultIteratorGetPageIterator", l.pageIterator) &&
                   Bind(so, "TessPageIteratorBoundingBox", l.boundingBox) &&
                   Bind(so, "TessResultIteratorGetUTF8Text", l.iteratorText) &&
                   Bind(so, "TessResultIteratorConfidence", l.confidence) && Bind(so, "TessDeleteText", l.deleteText);
        return l;
    }();
    return lib;
}

std::string TakeText(char* text) {
    std::string s = text ? text : "";
    if (text) Library().deleteText(text);
    return s;
}
}  // namespace

std::shared_ptr<TesseractEngine> TesseractEngine::Create() {
    const TesseractLibrary& lib = Library();
    if (!lib.loaded) return nullptr;
    std::shared_ptr<TesseractEngine> engine(new TesseractEngine());
    engine->api_ = lib.create();
    if (!engine->api_) return nullptr;
    // Its own diagnostics would only clutter the terminal.
    lib.setVariable(engine->api_, "debug_file", "/dev/null");
    if (lib.init(engine->api_, nullptr, "eng") != 0) return nullptr;
    return engine;
}

TesseractEngine::~TesseractEngine() {
    if (!api_) return;
    Library().end(api_);
    Library().destroy(api_);
}

void TesseractEngine::SetSegmentationMode(int mode) {
    if (mode < tesseract::PSM_OSD_ONLY || mode >= tesseract::PSM_COUNT) throw -1;
    Library().setPageSegMode(api_, static_cast<TessPageSegMode>(mode));
}

void TesseractEngine::SetCharacterSet(const std::string& characters) {
    Library().setVariable(api_, "tessedit_char_whitelist", characters.c_str());
}

void TesseractEngine::Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                                std::vector<std::string>& texts, std::vector<float>& confidences, int level) {
    if (prepared.empty()) {
        fullText.clear();
        return;
    }
    if (prepared.type() != CV_8UC1) throw -1;
    const TesseractLibrary& lib = Library();
    lib.setImage(api_, prepared.data, prepared.cols, prepared.rows, 1, int(prepared.step));
    // The area was enlarged from screen-resolution text; say so rather than let
    // Tesseract guess (and warn about) a resolution.
    lib.setSourceResolution(api_, 300);
    const int status = lib.recognize(api_, nullptr);
    if (status != 0) {
        lib.clear(api_);
        throw status;
    }
    char* all = lib.utf8Text(api_);
    if (!all) {
        lib.clear(api_);
        throw -1;
    }
    fullText = TakeText(all);

    const TessPageIteratorLevel unit = level == 0 ? tesseract::RIL_WORD : level == 2 ? tesseract::RIL_SYMBOL : tesseract::RIL_TEXTLINE;
    if (TessResultIterator* it = lib.iterator(api_)) {
        do {
            // No box means nothing at this level here.
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!lib.boundingBox(lib.pageIterator(it), unit, &left, &top, &right, &bottom)) continue;
            rects.emplace_back(left, top, right - left, bottom - top);
            texts.push_back(TakeText(lib.iteratorText(it, unit)));
            confidences.push_back(std::clamp(lib.confidence(it, unit), 0.0f, 100.0f));
        } while (lib.next(it, unit));
        lib.iteratorDelete(it);
    }
    lib.clear(api_);
}

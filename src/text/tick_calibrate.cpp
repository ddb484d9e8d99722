#include "text/tick_calibrate.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "output/mapping.h"
#include "text/tick_marks.h"
#include "text/tick_number.h"

namespace {

// What a tick label can be written with; anything else is a misreading.
const char* const kTickCharacters = "0123456789.,-+eEx\xC3\x97\xE2\x88\x92";  // with U+00D7 and U+2212
constexpr int kGlyphTarget = 32;  // px: digit height the engine reads best at
constexpr int kBorder = 10;       // px of white around the label

struct ReadLabel {
    TickLabelBox box;
    std::string text;
    std::optional<TickNumber> number;
};

// One piece of a label on its own: cut, enlarged to a comfortable glyph height,
// binarised and read as one line. Empty when the engine fails or reads fewer
// characters than there are glyphs: a dropped glyph (an exponent lost) is a
// misreading. More are fine: small glyphs touch and make one piece.
std::optional<std::string> ReadPart(OcrEngine& engine, const cv::Mat& rgb, const std::vector<cv::Rect>& glyphs) {
    cv::Rect box = glyphs.front();
    int glyphHeight = 1;
    for (const cv::Rect& g : glyphs) {
        box |= g;
        glyphHeight = std::max(glyphHeight, g.height);
    }
    const cv::Rect cut = cv::Rect(box.x, box.y - 1, box.width + 1, box.height + 2) & cv::Rect(0, 0, rgb.cols, rgb.rows);
    const double scale = std::clamp(double(kGlyphTarget) / glyphHeight, 1.0, 8.0);
    cv::Mat grey, big, bw, framed;
    cv::cvtColor(rgb(cut), grey, cv::COLOR_RGB2GRAY);
    cv::resize(grey, big, cv::Size(), scale, scale, cv::INTER_CUBIC);
    cv::threshold(big, bw, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    cv::copyMakeBorder(bw, framed, kBorder, kBorder, kBorder, kBorder, cv::BORDER_CONSTANT, cv::Scalar(255));

    std::string text;
    std::vector<cv::Rect> rects;
    std::vector<std::string> symbols;
    std::vector<float> confidences;
    // As one line; a lone glyph the line reading misses, as one character.
    for (int mode : {7, 10}) {
        if (mode == 10 && (!text.empty() || glyphs.size() > 1)) break;
        rects.clear();
        symbols.clear();
        confidences.clear();
        try {
            engine.SetSegmentationMode(mode);
            engine.Recognise(framed, text, rects, symbols, confidences, 2);
        } catch (int) {
            return std::nullopt;
        }
        text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    }
    if (VisibleCharacters(text).size() < glyphs.size()) return std::nullopt;
    return text;
}

// A label: an exponent raised above its base is read apart from it, at its own
// size, so that 10 with a raised 3 is not taken for 103.
ReadLabel Read(OcrEngine& engine, const cv::Mat& rgb, const TickLabelBox& box) {
    ReadLabel out;
    out.box = box;
    std::vector<TickGlyph> shapes;
    for (const cv::Rect& g : box.glyphs) shapes.push_back({"", g});
    const size_t raised = RaisedTailLength(shapes);
    const std::vector<cv::Rect> base(box.glyphs.begin(), box.glyphs.end() - long(raised));
    const auto baseText = ReadPart(engine, rgb, base);
    if (!baseText) return out;
    out.text = *baseText;
    if (raised > 0) {
        const auto exponent = ReadPart(engine, rgb, std::vector<cv::Rect>(box.glyphs.end() - long(raised), box.glyphs.end()));
        if (!exponent) return out;
        out.text += "^" + *exponent;
    }
    out.number = ParseTickNumber(out.text);
    return out;
}

AxisFromLabels Calibrate(const cv::Mat& rgb, const PlotArea& area, PlotEdge edge, OcrEngine& engine) {
    const bool isX = edge == PlotEdge::Bottom;
    const std::string name = isX ? "X" : "Y";
    AxisFromLabels out;
    auto refuse = [&](const std::string& why) {
        out.reason = why;
        out.logLine = name + " axis not calibrated from tick labels: " + why + "\n";
        return out;
    };
    const EdgeScan scan = ScanPlotEdge(rgb, area, edge);
    if (!scan.problem.empty()) return refuse(scan.problem);
    const char* side = isX ? "bottom" : "left";
    if (scan.ticks.empty()) return refuse(std::string("no tick marks along the ") + side + " edge");
    if (scan.labels.empty()) return refuse("no tick labels beside the ticks");
    out.line = scan.line;

    std::vector<cv::Rect> boxes;
    for (const TickLabelBox& l : scan.labels) boxes.push_back(l.box);
    const TickPairing pairing = PairLabelsWithTicks(scan.ticks, boxes, edge);

    std::vector<ReadLabel> reads;
    std::vector<TickValue> values;
    for (size_t i = 0; i < scan.labels.size(); ++i) {
        const int t = pairing.tickOfLabel[i];
        if (t < 0) continue;
        ReadLabel r = Read(engine, rgb, scan.labels[i]);
        if (!r.number || r.number->form == TickNumber::Factor || !std::isfinite(r.number->value)) continue;
        values.push_back({scan.ticks[size_t(t)].position, r.number->value});
        reads.push_back(std::move(r));
    }
    out.labelsRead = int(values.size());
    if (values.size() < 3 && pairing.ambiguous > 0)
        return refuse("ambiguous pairing of labels and ticks (" + std::to_string(pairing.ambiguous) + " labels left out)");
    const AxisFit fit = FitAxisValues(values);
    if (!fit.ok) return refuse(fit.reason);

    // The two outermost agreeing ticks: left then right, bottom then top.
    size_t a = fit.agreeing.front(), b = fit.agreeing.back();
    if (!isX) std::swap(a, b);
    out.calibrated = true;
    out.scale = fit.scale;
    // Whole pixels beside the two ticks, valued by the fit through every agreeing
    // label rather than by one drawn tick, which a renderer may have moved by half a pixel.
    auto valueAt = [&](int pixel) {
        const double u = (pixel - fit.offset) / fit.slope;
        return fit.scale == AxisScale::Logarithmic ? std::pow(10.0, u) : u;
    };
    out.pixel1 = int(std::lround(values[a].pixel));
    out.pixel2 = int(std::lround(values[b].pixel));
    out.value1 = valueAt(out.pixel1);
    out.value2 = valueAt(out.pixel2);
    const int kinds[2] = {isX ? LABEL_XMIN : LABEL_YMIN, isX ? LABEL_XMAX : LABEL_YMAX};
    const size_t used[2] = {a, b};
    for (int k = 0; k < 2; ++k) {
        TextLabel label;
        const cv::Rect& box = reads[used[k]].box.box;
        // The number as it was understood, so that the label's own value rule agrees.
        label.text = ValueToText(values[used[k]].value);
        label.left = box.x;
        label.top = box.y;
        label.width = box.width;
        label.height = box.height;
        label.kind = kinds[k];
        out.labels.push_back(label);
    }
    out.logLine = name + " axis from " + std::to_string(fit.agreeing.size()) + " tick labels: " +
                  ValueToText(values[a].value) + " to " + ValueToText(values[b].value) + (fit.scale == AxisScale::Logarithmic ? ", logarithmic\n" : ", linear\n");
    return out;
}

// Lifts the engine's character limit again however the reading ends.
struct CharacterSetScope {
    OcrEngine& engine;
    explicit CharacterSetScope(OcrEngine& e) : engine(e) { engine.SetCharacterSet(kTickCharacters); }
    ~CharacterSetScope() { engine.SetCharacterSet(""); }
};

}  // namespace

LabelCalibration CalibrateFromTickLabels(const cv::Mat& rgb, const PlotArea& area, OcrEngine& engine,
                                         const LabelCalibrationRequest& request) {
    if (rgb.type() != CV_8UC3) throw std::invalid_argument("CalibrateFromTickLabels needs an 8-bit RGB picture");
    LabelCalibration out;
    if (!request.x && !request.y) return out;
    CharacterSetScope scope(engine);
    if (request.x) out.x = Calibrate(rgb, area, PlotEdge::Bottom, engine);
    if (request.y) out.y = Calibrate(rgb, area, PlotEdge::Left, engine);
    return out;
}

bool TakeLabelCalibration(const LabelCalibration& found, Calibration& c, std::vector<TextLabel>& labels) {
    if (!found.x.calibrated && !found.y.calibrated) return false;
    for (const AxisFromLabels* axis : {&found.x, &found.y}) {
        if (!axis->calibrated) continue;
        const bool isX = axis == &found.x;
        const int kinds = isX ? LABEL_XMIN | LABEL_XMAX : LABEL_YMIN | LABEL_YMAX;
        for (TextLabel& l : labels) l.kind &= ~kinds;
        // A label left without kinds is plain text again.
        for (TextLabel& l : labels)
            if (l.kind == 0) l.kind = LABEL_TEXT;
        if (isX) {
            c.xPixel1 = axis->pixel1;
            c.xValue1 = axis->value1;
            c.xPixel2 = axis->pixel2;
            c.xValue2 = axis->value2;
            c.xRow = axis->line;
        } else {
            c.yPixel1 = axis->pixel1;
            c.yValue1 = axis->value1;
            c.yPixel2 = axis->pixel2;
            c.yValue2 = axis->value2;
            c.yColumn = axis->line;
        }
        labels.insert(labels.end(), axis->labels.begin(), axis->labels.end());
    }
    return true;
}

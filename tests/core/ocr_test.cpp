// Text recognition of a marked area, driven through a scripted engine: which
// calls are made, which reading wins, where the labels land and what is logged;
// and the preparation of the area (enlarged, thresholded per channel).
#include "text/ocr.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <deque>
#include <string>
#include <tuple>

namespace {
struct Component {
    cv::Rect rect;
    std::string text;
    float confidence;
};

struct Reply {
    std::string fullText;
    std::vector<Component> components;
    bool fail = false;    // throws after storing its components
    bool uneven = false;  // the last component's text and confidence are left out of their lists
};

struct Call {
    int mode;
    int level;
    cv::Mat image;
};

// Answers each recognition with the next scripted reply (nothing found when the
// script has run out) and records what it was asked.
class ScriptedEngine : public OcrEngine {
public:
    void SetSegmentationMode(int mode) override {
        if (failModeSetting) throw 3;
        mode_ = mode;
    }
    void Recognise(const cv::Mat& prepared, std::string& fullText, std::vector<cv::Rect>& rects,
                   std::vector<std::string>& texts, std::vector<float>& confidences, int level) override {
        calls.push_back({mode_, level, prepared.clone()});
        const Reply r = replies.empty() ? Reply{} : replies.front();
        if (!replies.empty()) replies.pop_front();
        fullText = r.fullText;
        for (const Component& c : r.components) {
            rects.push_back(c.rect);
            texts.push_back(c.text);
            confidences.push_back(c.confidence);
        }
        if (r.uneven) {
            texts.pop_back();
            confidences.pop_back();
        }
        if (r.fail) throw 7;
    }
    std::vector<std::pair<int, int>> ModesAndLevels() const {
        std::vector<std::pair<int, int>> out;
        for (const Call& c : calls) out.emplace_back(c.mode, c.level);
        return out;
    }

    std::deque<Reply> replies;
    std::vector<Call> calls;
    bool failModeSetting = false;

private:
    int mode_ = -1;
};

using Steps = std::vector<std::pair<int, int>>;

struct Outcome {
    cv::Mat prepared;
    std::vector<TextLabel> labels;
    std::string log;
    int errors = 0;
};

Outcome Recognised(ScriptedEngine& engine, const cv::Rect& area) {
    Outcome out;
    out.prepared = cv::Mat(area.height * kOcrScale, area.width * kOcrScale, CV_8UC1, cv::Scalar(255));
    out.prepared.at<uchar>(3, 5) = 0;  // a marker to follow through the turns
    StringLog log;
    out.labels = RunOcr(engine, out.prepared, area, log, [&] { ++out.errors; });
    out.log = log.Text();
    return out;
}

const cv::Rect kArea(100, 50, 30, 12);
const Steps kUprightThenTurned = {{6, 1}, {6, 1}, {6, 1}, {6, 1}};
}  // namespace

// text, left, top, width, height, orientation
using Placed = std::tuple<std::string, int, int, int, int, int>;
Placed PlacedOf(const TextLabel& l) { return {l.text, l.left, l.top, l.width, l.height, l.orientation}; }

TEST(Ocr, ReadingFlowTable) {
    const Reply low{"x\n", {{{0, 0, 8, 8}, "x", 10.f}}};
    const Reply a{"A\n", {{{0, 0, 8, 8}, "first", 60.f}, {{0, 0, 8, 8}, "A", 80.f}}};  // plain mean 70
    const Reply b{"B\n", {{{0, 0, 8, 8}, "second", 70.f}}};
    struct Case {
        const char* what;
        std::deque<Reply> replies;
        bool failModeSetting;
        Steps steps;
        std::string log;
        int errors;
        std::vector<Placed> labels;
        cv::Rect area = kArea;
    };
    const cv::Rect tall(10, 20, 8, 40);
    const Reply title{"Voltage\n", {{{40, 16, 160, 24}, "Voltage\n", 85.f}}};
    const std::vector<Case> cases = {
        {"a confident number is read again at the finer level, and that reading becomes the labels",
         {{"0.5 1.0\n", {{{8, 16, 64, 40}, "0.5 1.0\n", 88.f}}},
          {"0.5 1.0\n", {{{16, 8, 24, 41}, "0.5", 95.f}, {{120, 8, 31, 40}, "1.0\n", 91.f}}}},
         false, {{6, 1}, {6, 0}}, "OCR result:\n0.5\n1.0\n", 0,
         {{"0.5", 102, 51, 3, 5, 0}, {"1.0", 115, 51, 3, 5, 0}}},  // divided by 8, toward zero
        {"confident words are kept without rerun",
         {{"Time (s)\n", {{{0, 0, 80, 32}, "Time", 90.f}, {{96, 0, 64, 32}, "(s)\n", 75.f}}}}, false, {{6, 1}},
         "OCR result:\nTime\n(s)\n", 0, {{"Time", 100, 50, 10, 4, 0}, {"(s)", 112, 50, 8, 4, 0}}},
        {"equal turned means keep the earlier orientation", {low, low, a, b}, false, kUprightThenTurned,
         "OCR result:\nfirst\nA\n", 0, {{"first", 100, 61, 1, 1, 1}, {"A", 100, 61, 1, 1, 1}}},
        {"the upright entry ties with both turned ones", {low, b, a, b}, false, kUprightThenTurned,
         "OCR result:\nsecond\n", 0, {{"second", 100, 50, 1, 1, 0}}},
        {"a strictly higher mean wins", {low, low, b, Reply{"C\n", {{{0, 0, 8, 8}, "third", 70.5f}}}}, false,
         kUprightThenTurned, "OCR result:\nthird\n", 0, {{"third", 129, 50, 1, 1, 2}}},
        {"line-feed-only and blank components are skipped silently",
         // Accepted (blank texts count), and the line feed alone is whitelisted: rerun.
         {{"Area\n\n", {{{0, 0, 8, 8}, "Area\n", 90.f}, {{0, 0, 8, 8}, "\n", 90.f}}},
          {"Area\n\n", {{{0, 0, 40, 8}, "Ar\nea\n", 90.f}, {{0, 0, 8, 8}, "\n", 90.f}, {{0, 0, 8, 8}, "  \n ", 90.f},
                         {{8, 0, 8, 8}, "", 90.f}}}},
         false, {{6, 1}, {6, 0}}, "OCR result:\nArea\n", 0, {{"Area", 100, 50, 5, 1, 0}}},
        {"an empty first reading is retried as one character and replaced",
         {{"", {{{0, 0, 8, 8}, "Wrong", 99.f}}}, {"7\n", {{{8, 8, 16, 16}, "7\n", 92.f}}},
          {"7\n", {{{16, 8, 16, 16}, "7", 96.f}}}},
         false, {{6, 1}, {10, 0}, {6, 0}}, "OCR result:\n7\n", 0, {{"7", 102, 51, 2, 2, 0}}},
        {"nothing found: upright, its retry, the three orientations", {}, false,
         {{6, 1}, {10, 0}, {6, 1}, {6, 1}, {6, 1}}, "Empty area for OCR\nOCR result:\n", 0, {}},
        // A failing first pass skips the retry; a turned pass failing with part of an answer still competes.
        {"engine errors are reported and the operation goes on",
         {Reply{"", {}, true}, Reply{}, Reply{"Q\n", {{{0, 0, 8, 8}, "Quit", 40.f}}, true},
          Reply{"R\n", {{{0, 0, 8, 8}, "Rest", 30.f}}}},
         false, kUprightThenTurned, "OCR result:\nQuit\n", 2, {{"Quit", 100, 61, 1, 1, 1}}},
        {"a failing numeric rerun keeps the accepted upright reading",
         {{"125\n", {{{0, 0, 24, 8}, "125\n", 91.f}}}, Reply{"", {}, true}}, false, {{6, 1}, {6, 0}},
         "OCR result:\n125\n", 1, {{"125", 100, 50, 3, 1, 0}}},
        {"an engine that cannot set its mode: every pass reports, nothing is found", {}, true, {},
         "Empty area for OCR\nOCR result:\n", 4, {}},
        {"more rectangles than texts: a rectangle without a text is a blank component",
         {Reply{"Hello\n", {{{0, 0, 8, 8}, "Hello", 90.f}, {{8, 0, 8, 8}, "", 0.f}}, false, true}}, false, {{6, 1}},
         "OCR result:\nHello\n", 0, {{"Hello", 100, 50, 1, 1, 0}}},
        // A tall title, placed back at 20 x 3 as measured in the turned reading, not swapped. Clockwise:
        // left = ax + cy, top = ay + ah - cx - cw; counter-clockwise: left = ax + aw - cy - ch, top = ay + cx.
        {"vertical title read clockwise", {low, low, title, low}, false, kUprightThenTurned,
         "OCR result:\nVoltage\n", 0, {{"Voltage", 10 + 2, 20 + 40 - 5 - 20, 20, 3, 1}}, tall},
        {"vertical title read counter-clockwise", {low, low, low, title}, false, kUprightThenTurned,
         "OCR result:\nVoltage\n", 0, {{"Voltage", 10 + 8 - 2 - 3, 20 + 5, 20, 3, 2}}, tall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEngine engine;
        engine.replies = c.replies;
        engine.failModeSetting = c.failModeSetting;
        const Outcome out = Recognised(engine, c.area);
        EXPECT_EQ(engine.ModesAndLevels(), c.steps);
        if (engine.calls.size() >= 4) {
            // The last three passes are the orientations: the area as it is, then turned. Clockwise
            // the top-left corner goes to the top-right; counter-clockwise to the bottom-left.
            const size_t n = engine.calls.size();
            const int W = out.prepared.cols, H = out.prepared.rows;
            EXPECT_EQ(cv::norm(engine.calls[n - 3].image, out.prepared, cv::NORM_INF), 0);
            for (size_t i = n - 2; i < n; ++i) {
                ASSERT_EQ(engine.calls[i].image.size(), cv::Size(H, W));
                EXPECT_EQ(cv::countNonZero(engine.calls[i].image == 0), 1);
            }
            EXPECT_EQ(engine.calls[n - 2].image.at<uchar>(5, H - 1 - 3), 0);
            EXPECT_EQ(engine.calls[n - 1].image.at<uchar>(W - 1 - 5, 3), 0);
        }
        EXPECT_EQ(out.log, c.log);
        EXPECT_EQ(out.errors, c.errors);
        std::vector<Placed> placed;
        for (const TextLabel& l : out.labels) {
            placed.push_back(PlacedOf(l));
            // New labels are Text, unselected, with box and font size unset.
            EXPECT_EQ(std::tie(l.kind, l.selected, l.boxLeft, l.boxTop, l.boxWidth, l.boxHeight, l.fontSize),
                      std::make_tuple(LABEL_TEXT, false, -1, -1, -1, -1, -1));
        }
        EXPECT_EQ(placed, c.labels);
    }
}

TEST(Ocr, UprightJudgementCountsNumbersLongTextsAndBlanksButNotShortSpecks) {
    const cv::Rect r(0, 0, 16, 16);
    const std::vector<std::pair<std::vector<Component>, bool>> cases = {  // components, accepted upright
        // A non-number whose last visible character is its first or second is not counted.
        {{{r, "Voltage", 80.f}, {r, "l", 90.f}}, false},        // 40
        {{{r, "Voltage", 80.f}, {r, "ab \n", 99.f}}, false},    // 40
        {{{r, "Voltage", 80.f}, {r, "abc", 60.f}}, true},       // 70, the boundary accepts
        {{{r, "Voltage", 80.f}, {r, "5", 60.f}}, true},         // a number always counts
        {{{r, "Voltage", 80.f}, {r, " -2e3x", 60.f}}, true},    // numeric by its start
        {{{r, "Voltage", 80.f}, {r, " \n", 60.f}}, true},       // no visible character: counted
        {{{r, "Voltage", 80.f}, {r, "5", 59.9f}}, false},
    };
    for (const auto& [components, accepted] : cases) {
        SCOPED_TRACE(components[1].text);
        ScriptedEngine engine;
        engine.replies = {{"text\n", components}};
        Recognised(engine, kArea);
        if (accepted) {
            // Accepted: at most the numeric rerun follows, never the turned passes.
            EXPECT_LE(engine.calls.size(), 2u);
            EXPECT_EQ(engine.calls.back().level, engine.calls.size() == 2 ? 0 : 1);
        } else {
            EXPECT_EQ(engine.ModesAndLevels(), kUprightThenTurned);
        }
    }
}

TEST(OcrPrepare, EnlargesEightTimesAndKeepsOnlyPixelsBrightInEveryChannel) {
    // Blocks 6 pixels square against the levels 100, 120, 140: bright, dark in red, in green, in
    // blue, just above every level and at every level; in a view of a black picture.
    const std::vector<std::pair<cv::Vec3b, uchar>> blocks = {
        {{250, 250, 250}, 255}, {{90, 250, 250}, 0}, {{250, 110, 250}, 0},
        {{250, 250, 130}, 0},   {{101, 121, 141}, 255}, {{100, 120, 140}, 0}};
    const int n = int(blocks.size());
    cv::Mat parent(10, 6 * n + 8, CV_8UC3, cv::Scalar(0, 0, 0));
    for (int i = 0; i < n; ++i) parent(cv::Rect(4 + 6 * i, 3, 6, 6)).setTo(cv::Scalar(blocks[i].first));
    const cv::Mat view = parent(cv::Rect(2, 1, 6 * n + 4, 8));
    const cv::Mat out = PrepareOcrImage(view, cv::Rect(2, 2, 6 * n, 6), {100, 120, 140});
    ASSERT_EQ(out.type(), CV_8UC1);
    ASSERT_EQ(out.size(), cv::Size(48 * n, 48));
    for (int i = 0; i < n; ++i) EXPECT_EQ(out.at<uchar>(24, 48 * i + 24), blocks[i].second) << "block " << i;
}

// Areas past the image are clipped; huge areas are enlarged less, and their labels
// scaled back by the same factor.
TEST(OcrPrepare, AreasClippedAndHugeOnesEnlargedLess) {
    const cv::Mat small(10, 12, CV_8UC3, cv::Scalar(250, 250, 250));
    EXPECT_EQ(PrepareOcrImage(small, cv::Rect(8, 6, 10, 10), {128, 128, 128}).size(), cv::Size(32, 32));
    EXPECT_TRUE(PrepareOcrImage(small, cv::Rect(12, 0, 5, 5), {128, 128, 128}).empty());  // nothing left gives nothing

    // 16384 wide and exactly 64 Mi pixels enlarged are still within bounds.
    const std::pair<cv::Size, int> scales[] = {{{300, 40}, 8},    {{2048, 10}, 8},   {{2049, 10}, 7}, {{10, 2049}, 7},
                                               {{1024, 1024}, 8}, {{1025, 1024}, 7}, {{40000, 3}, 1}};
    for (const auto& [size, scale] : scales) EXPECT_EQ(OcrScaleFor(size), scale) << size;

    const cv::Mat image(30, 3000, CV_8UC3, cv::Scalar(255, 255, 255));
    const cv::Rect area(0, 5, 3000, 20);
    const cv::Mat prepared = PrepareOcrImage(image, area, {128, 128, 128});
    EXPECT_EQ(prepared.size(), cv::Size(15000, 100));  // 5 times

    ScriptedEngine engine;
    engine.replies = {{"Title\n", {{{500, 10, 250, 50}, "Title", 90.f}}}};
    StringLog log;
    const std::vector<TextLabel> labels = RunOcr(engine, prepared, area, log, nullptr);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(PlacedOf(labels[0]), (Placed{"Title", 100, 5 + 2, 50, 10, 0}));
}

// Preparing an export: the scale questions and default scales, the logarithmic
// refusal, the assembled table, and thinned points placed on the picture's strokes.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "output/series.h"
#include "support/builders.h"

namespace {

// Answers Yes/No questions from a script and records everything shown.
struct ScriptedQuestions : ExportQuestions {
    explicit ScriptedQuestions(std::deque<bool> a = {}) : answers(std::move(a)) {}
    bool AskYesNo(const std::string& message) override {
        asked.push_back(message);
        if (answers.empty()) return ADD_FAILURE() << "unexpected question: " << message, false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowError(const std::string& message, const std::string& caption) override {
        errors.push_back(caption + ": " + message);
    }
    std::deque<bool> answers;
    std::vector<std::string> asked, errors;
};

const std::string kNotSet = "X and/or Y scales are not set, use default values?";
const std::string kTooSmall = "X and/or Y scales are too small, use default values?";
const std::string kLogError =
    "Export data: X and/or Y Logarithmic scales can not be zero or negative, please set the scales accordingly";
const std::string kNoGraph = "plotsnap: No graphs have been selected for export/copy";

ExportSettings Settings(bool commonX = true, bool thin = false, bool logX = false, bool logY = false) {
    ExportSettings s = ExportFor(commonX, thin, 400, 300);
    s.logX = logX, s.logY = logY;
    return s;
}

// X: 0 at column 100, 10 at column 300. Y: 0 at row 250, 5 at row 50.
const Calibration kCalibrated{0, 100, 10, 300, 0, 250, 5, 50};
Calibration With(Calibration c, int xPixel1, int xPixel2, int yPixel1 = 250, double yValue1 = 0, double yValue2 = 5) {
    c.xPixel1 = xPixel1, c.xPixel2 = xPixel2, c.yPixel1 = yPixel1, c.yValue1 = yValue1, c.yValue2 = yValue2;
    return c;
}

double X(const ExportTable& t, double px) {
    const Calibration& c = t.calibration;
    return PixelToValueX(px, c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, t.logX);
}
double Y(const ExportTable& t, double py) {
    const Calibration& c = t.calibration;
    return PixelToValueY(py, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2, t.logY, t.yOffset);
}

const std::vector<PatchList> kOneGraph = {{{::Run{10, 20, 12}}, {::Run{40, 0, 40}}}};

}  // namespace

TEST(PrepareExport, QuestionsDefaultScalesAndRefusals) {
    struct Case {
        const char* what;
        std::vector<PatchList> graphs;
        Calibration cal;
        ExportSettings settings;
        std::deque<bool> answers;
        std::vector<std::string> asked, errors;
        bool repaint;
        // Expected X and Y values at column 20 and row 150, when the export goes ahead.
        double x20, y150;
    };
    const double no = NAN;
    const Case cases[] = {
        {"no graph holds a patch", {{}, {}}, {}, Settings(), {}, {}, {kNoGraph}, false, no, no},
        {"unset, Yes: pixel units up from the bottom", kOneGraph, {}, Settings(), {true}, {kNotSet}, {}, true, 20.5, 149.5},
        {"unset, No", kOneGraph, {}, Settings(), {false}, {kNotSet}, {}, true, no, no},
        {"X too small: only X takes the default", kOneGraph, With(kCalibrated, 100, 101), Settings(), {true}, {kTooSmall}, {}, true, 20.5, 2.5},
        {"Y unset: only Y takes the default", kOneGraph, With(kCalibrated, 100, 300, -1), Settings(), {true}, {kNotSet}, {}, true, -4, 149.5},
        {"unset and too small: both asked from the first check", kOneGraph, With(kCalibrated, -1, 0), Settings(), {true, true}, {kNotSet, kTooSmall}, {}, true, 20.5, 2.5},
        {"unset and too small, Yes then No", kOneGraph, With(kCalibrated, -1, 0), Settings(), {true, false}, {kNotSet, kTooSmall}, {}, true, no, no},
        {"logarithmic X with a default", kOneGraph, {}, Settings(true, false, true), {true}, {kNotSet}, {kLogError}, true, no, no},
        {"logarithmic X through 0", kOneGraph, kCalibrated, Settings(true, false, true), {}, {}, {kLogError}, true, no, no},
        {"logarithmic Y through -4", kOneGraph, With(kCalibrated, 100, 300, 250, 1, -4), Settings(true, false, false, true), {}, {}, {kLogError}, true, no, no},
        {"logarithmic Y", kOneGraph, With(kCalibrated, 100, 300, 250, 1, 1000), Settings(true, false, false, true), {}, {}, {}, true, -4, std::sqrt(1000.0)},
        {"reversed calibration as it is", kOneGraph, {10, 300, 0, 100, 5, 50, 0, 250}, Settings(), {}, {}, {}, true, -4, 2.5},
    };
    for (const Case& k : cases) {
        ScriptedQuestions q(k.answers);
        bool repaint = !k.repaint;
        const auto t = PrepareExport(k.graphs, k.cal, k.settings, q, &repaint);
        SCOPED_TRACE(k.what);
        EXPECT_EQ(q.asked, k.asked);
        EXPECT_EQ(q.errors, k.errors);
        EXPECT_EQ(repaint, k.repaint);
        ASSERT_EQ(bool(t), !std::isnan(k.x20));
        if (!t) continue;
        EXPECT_DOUBLE_EQ(X(*t, 20), k.x20);
        EXPECT_DOUBLE_EQ(Y(*t, 150), k.y150);
    }
}

TEST(PrepareExport, TableHoldsSortedPointsColumnsAndTopmostLookup) {
    const std::vector<PatchList> graphs = {
        {{::Run{20, 7, 18}}, {::Run{5, 3, 5}}},  // column 7 rows 18..20 and column 3 row 5
        {},                                      // dropped, numbering has no gap
        {{::Run{9, 7, 9}, ::Run{2, 11, 2}}},
    };
    ScriptedQuestions q;
    const auto t = PrepareExport(graphs, kCalibrated, Settings(true, false), q, nullptr);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->graphs.size(), 2u);
    EXPECT_EQ(t->graphs[0], (PointList{{3, 5}, {7, 18}, {7, 19}, {7, 20}}));
    EXPECT_EQ(t->graphs[1], (PointList{{7, 9}, {11, 2}}));
    EXPECT_EQ(t->longest, 4u);
    EXPECT_EQ(t->columns, (std::vector<int>{3, 7, 11}));
    EXPECT_EQ(t->lookups, (std::vector<std::map<int, double>>{{{3, 5}, {7, 18}}, {{7, 9}, {11, 2}}}));
    const auto noCommon = PrepareExport(graphs, kCalibrated, Settings(false, false), q, nullptr);
    ASSERT_TRUE(noCommon);
    EXPECT_TRUE(noCommon->lookups.empty());
}

TEST(PrepareExport, ThinnedPointsSitOnThePicturesStroke) {
    // A 3-row stroke whose top row is half ink: rows weigh 127/255, 1 and 1.
    cv::Mat picture(40, 40, CV_8UC3, cv::Scalar::all(255));
    picture.rowRange(20, 22).setTo(cv::Scalar::all(0));
    picture.row(19).setTo(cv::Scalar::all(128));
    Patch stroke;
    for (int c = 0; c < 40; ++c) stroke.push_back({19, c, 21});
    ExportSettings s = ExportFor(true, true, 40, 40);
    for (const bool given : {false, true}) {
        if (given) s.picture = picture;
        ScriptedQuestions q;
        const auto t = PrepareExport({{stroke}}, kCalibrated, s, q, nullptr);
        ASSERT_TRUE(t);
        ASSERT_GT(t->graphs[0].size(), 30u);
        const double w = 127 / 255.0;
        EXPECT_NEAR(t->graphs[0][10].y, given ? (19 * w + 41) / (2 + w) : 20, 1e-4);
    }
}

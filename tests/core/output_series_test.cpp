// Preparing an export: the scale questions, the default scales, the logarithmic
// refusal and the assembled table.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "output/series.h"

namespace {

// Answers Yes/No questions from a script and records everything shown.
class ScriptedQuestions : public ExportQuestions {
public:
    explicit ScriptedQuestions(std::deque<bool> answers = {}) : answers_(std::move(answers)) {}
    bool AskYesNo(const std::string& message) override {
        asked.push_back(message);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question: " << message;
            return false;
        }
        const bool a = answers_.front();
        answers_.pop_front();
        return a;
    }
    void ShowError(const std::string& message, const std::string& caption) override {
        errors.push_back(caption + ": " + message);
    }
    std::vector<std::string> asked, errors;

private:
    std::deque<bool> answers_;
};

const char* const kNotSet = "X and/or Y scales are not set, use default values?";
const char* const kTooSmall = "X and/or Y scales are too small, use default values?";
const char* const kLogError =
    "Export data: X and/or Y Logarithmic scales can not be zero or negative, please set the scales accordingly";

ExportSettings Settings(bool commonX = true, bool thin = false) {
    ExportSettings s;
    s.thin = thin;
    s.commonX = commonX;
    s.imageHeight = 300;
    s.imageWidth = 400;
    return s;
}

// X: 0 at column 100, 10 at column 300. Y: 0 at row 250, 5 at row 50.
const Calibration kCalibrated{0, 100, 10, 300, 0, 250, 5, 50};

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

TEST(PrepareExport, NoGraphWithPatchesOnlyShowsTheMessage) {
    ScriptedQuestions q;
    bool repaint = true;
    const Calibration unset;  // would otherwise prompt
    EXPECT_FALSE(PrepareExport({{}, {}}, unset, Settings(), q, &repaint));
    EXPECT_FALSE(PrepareExport({}, unset, Settings(), q, &repaint));
    EXPECT_TRUE(q.asked.empty());
    EXPECT_EQ(q.errors, std::vector<std::string>(2, "plotsnap: No graphs have been selected for export/copy"));
    EXPECT_FALSE(repaint);
}

TEST(PrepareExport, UnsetScalesOfferPixelUnitsCountedUpFromTheBottom) {
    ScriptedQuestions yes({true});
    bool repaint = false;
    const auto t = PrepareExport(kOneGraph, Calibration{}, Settings(), yes, &repaint);
    ASSERT_TRUE(t);
    EXPECT_EQ(yes.asked, std::vector<std::string>{kNotSet});
    EXPECT_TRUE(repaint);
    for (double col : {0.0, 1.0, 20.0, 399.0}) EXPECT_EQ(X(*t, col), col + 0.5);
    for (double row : {0.0, 10.0, 10.5, 299.0}) EXPECT_EQ(Y(*t, row), 300 - row - 0.5);

    ScriptedQuestions no({false});
    EXPECT_FALSE(PrepareExport(kOneGraph, Calibration{}, Settings(), no, &repaint));
    EXPECT_EQ(no.asked, std::vector<std::string>{kNotSet});
    EXPECT_TRUE(no.errors.empty());
    EXPECT_TRUE(repaint);
}

TEST(PrepareExport, OnlyTheFaultyAxisTakesTheDefault) {
    Calibration cal = kCalibrated;
    cal.xPixel2 = cal.xPixel1 + 1;  // too small
    ScriptedQuestions q({true});
    const auto t = PrepareExport(kOneGraph, cal, Settings(), q, nullptr);
    ASSERT_TRUE(t);
    EXPECT_EQ(q.asked, std::vector<std::string>{kTooSmall});
    EXPECT_EQ(X(*t, 20), 20.5);
    EXPECT_EQ(Y(*t, 250), 0);  // the Y calibration is kept, without offset
    EXPECT_EQ(Y(*t, 50), 5);

    cal = kCalibrated;
    cal.yPixel1 = -1;
    ScriptedQuestions q2({true});
    const auto t2 = PrepareExport(kOneGraph, cal, Settings(), q2, nullptr);
    ASSERT_TRUE(t2);
    EXPECT_EQ(X(*t2, 300), 10);
    EXPECT_EQ(Y(*t2, 0), 299.5);
}

TEST(PrepareExport, BothQuestionsComeFromTheFirstCheck) {
    // Pixels -1 and 0: unset and too small at once, so both are asked even though
    // the first Yes already put a valid default in place.
    Calibration cal = kCalibrated;
    cal.xPixel1 = -1;
    cal.xPixel2 = 0;
    ScriptedQuestions yesNo({true, false});
    EXPECT_FALSE(PrepareExport(kOneGraph, cal, Settings(), yesNo, nullptr));
    EXPECT_EQ(yesNo.asked, (std::vector<std::string>{kNotSet, kTooSmall}));

    ScriptedQuestions yesYes({true, true});
    const auto t = PrepareExport(kOneGraph, cal, Settings(), yesYes, nullptr);
    ASSERT_TRUE(t);
    EXPECT_EQ(yesYes.asked.size(), 2u);
    EXPECT_EQ(X(*t, 7), 7.5);

    ScriptedQuestions first({false});
    EXPECT_FALSE(PrepareExport(kOneGraph, cal, Settings(), first, nullptr));
    EXPECT_EQ(first.asked, std::vector<std::string>{kNotSet});  // No stops at once
}

TEST(PrepareExport, LogarithmicAxesNeedPositiveValuesAndNoDefault) {
    ExportSettings logX = Settings();
    logX.logX = true;
    ScriptedQuestions q({true});
    EXPECT_FALSE(PrepareExport(kOneGraph, Calibration{}, logX, q, nullptr));
    EXPECT_EQ(q.errors, std::vector<std::string>{kLogError});

    ScriptedQuestions zero;
    EXPECT_FALSE(PrepareExport(kOneGraph, kCalibrated, logX, zero, nullptr));  // xValue1 is 0
    EXPECT_EQ(zero.errors, std::vector<std::string>{kLogError});

    ExportSettings logY = Settings();
    logY.logY = true;
    Calibration cal = kCalibrated;
    cal.yValue1 = 1;
    cal.yValue2 = -4;
    ScriptedQuestions negative;
    EXPECT_FALSE(PrepareExport(kOneGraph, cal, logY, negative, nullptr));
    EXPECT_EQ(negative.errors.size(), 1u);

    cal.yValue2 = 1000;
    ScriptedQuestions fine;
    const auto t = PrepareExport(kOneGraph, cal, logY, fine, nullptr);
    ASSERT_TRUE(t);
    EXPECT_TRUE(fine.errors.empty());
    EXPECT_DOUBLE_EQ(Y(*t, 150), std::sqrt(1000.0));
}

TEST(PrepareExport, ReversedCalibrationIsAcceptedAsIs) {
    const Calibration reversed{10, 300, 0, 100, 5, 50, 0, 250};
    ScriptedQuestions q;
    const auto t = PrepareExport(kOneGraph, reversed, Settings(), q, nullptr);
    ASSERT_TRUE(t);
    EXPECT_TRUE(q.asked.empty());
    EXPECT_EQ(X(*t, 200), 5);
    EXPECT_EQ(Y(*t, 150), 2.5);
}

TEST(PrepareExport, TableHoldsSortedPointsColumnsAndTopmostLookup) {
    const std::vector<PatchList> graphs = {
        {{::Run{20, 7, 18}}, {::Run{5, 3, 5}}},  // column 7 rows 18..20 and column 3 row 5
        {},                                  // dropped, numbering has no gap
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
    ASSERT_EQ(t->lookups.size(), 2u);
    EXPECT_EQ(t->lookups[0], (std::map<int, double>{{3, 5}, {7, 18}}));
    EXPECT_EQ(t->lookups[1], (std::map<int, double>{{7, 9}, {11, 2}}));

    const auto noCommon = PrepareExport(graphs, kCalibrated, Settings(false, false), q, nullptr);
    ASSERT_TRUE(noCommon);
    EXPECT_FALSE(noCommon->commonX);
    EXPECT_TRUE(noCommon->lookups.empty());
}

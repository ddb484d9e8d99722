// Exporting values: the scale questions, default scales and logarithmic refusals, the assembled
// table and thinned points, the CSV text character for character, the calibration check,
// pixel-to-value mapping and number text, also under a locale whose decimal mark is a comma.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <locale>
#include <sstream>

#include <opencv2/core.hpp>

#include "output/csv_writer.h"
#include "output/mapping.h"
#include "output/series.h"
#include "support/builders.h"
#include "text/label.h"

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

namespace {

const std::string kBanner = "plotsnap version 1.21 - chart digitizer, https://plotsnap.example.org\n\n";

// X = column - 10, Y = 100 - row.
const Calibration kCal{0, 10, 10, 20, 0, 100, 50, 50};
// Graph A: (0, 60) and (1, 59); graph B: (1, 70) only.
const PatchList kA = {{::Run{40, 10, 40}, ::Run{41, 11, 41}}};
const PatchList kB = {{::Run{30, 11, 30}}};
// A stroke along row 10 stepping to row 11 at column 8, which holds both rows.
const PatchList kStep = {{::Run{10, 5, 10}, ::Run{10, 6, 10}, ::Run{10, 7, 10}, ::Run{10, 8, 11}, ::Run{11, 9, 11},
                          ::Run{11, 10, 11}, ::Run{11, 11, 11}}};
const Calibration kStepCal{0, 5, 6, 11, 0, 100, 50, 50};  // X = column - 5, Y = 100 - row

}  // namespace

TEST(CsvText, Layouts) {
    struct Case {
        const char* what;
        std::vector<PatchList> graphs;
        bool commonX, thin;
        Calibration cal;
        std::vector<TextLabel> labels;
        std::string expected;  // after the banner
    };
    const Case cases[] = {
        {"common X leaves a missing value empty", {kA, kB}, true, false, kCal, {},
         "X, Y_0, Y_1\n0, 60, \n1, 59, 70\n"},
        {"a graph that ran out keeps its two fields, empty", {kA, kB}, false, false, kCal, {},
         "X_0, Y_0, X_1, Y_1\n0, 60, 1, 70\n1, 59, , \n"},
        {"an earlier graph that ran out", {kB, kA}, false, false, kCal, {},
         "X_0, Y_0, X_1, Y_1\n1, 70, 0, 60\n, , 1, 59\n"},
        {"titles, then texts, then legends name the columns; axis values are not written", {kA, kB}, true, false, kCal,
         {MakeLabel("peak", LABEL_TEXT, 120, 45), MakeLabel("Pressure test", LABEL_TITLE),
          MakeLabel("Time", LABEL_XLEGEND), MakeLabel("0", LABEL_XMIN | LABEL_YMIN, 3, 4),
          MakeLabel("Volts", LABEL_YLEGEND), MakeLabel("Run 2", LABEL_TITLE),
          MakeLabel("two\nlines", LABEL_TEXT, 7, 8)},
         "Title:, Pressure test\nTitle:, Run 2\nText:, peak, 120, 45\nText:, two lines, 7, 8\n\n"
         "Time, Volts_0, Volts_1\n0, 60, \n1, 59, 70\n"},
        {"only a legend still gets the empty line", {kA}, false, false, kCal, {MakeLabel("Time", LABEL_XLEGEND)},
         "\nTime_0, Y_0\n0, 60\n1, 59\n"},
        {"the later legend wins, an empty one falls back", {kA, kB}, false, false, kCal,
         {MakeLabel("Time", LABEL_XLEGEND), MakeLabel("Volts", LABEL_YLEGEND), MakeLabel("Seconds", LABEL_XLEGEND),
          MakeLabel("", LABEL_YLEGEND)},
         "\nSeconds_0, Y_0, Seconds_1, Y_1\n0, 60, 1, 70\n1, 59, , \n"},
        // A field with a comma or a quote is quoted, right after the comma, quotes doubled.
        {"quoted title, text and legends", {kA, kB}, true, false, kCal,
         {MakeLabel("Pressure, kPa", LABEL_TITLE), MakeLabel("say \"hi\"", LABEL_TEXT, 1, 2),
          MakeLabel("t, s", LABEL_XLEGEND), MakeLabel("p\"", LABEL_YLEGEND)},
         "Title:,\"Pressure, kPa\"\nText:,\"say \"\"hi\"\"\", 1, 2\n\n"
         "\"t, s\",\"p\"\"_0\",\"p\"\"_1\"\n0, 60, \n1, 59, 70\n"},
        {"quoted headings without the common X axis", {kA, kB}, false, false, kCal,
         {MakeLabel("a,b", LABEL_XLEGEND), MakeLabel("two\nlines, V", LABEL_YLEGEND)},
         "\n\"a,b_0\",\"two lines, V_0\",\"a,b_1\",\"two lines, V_1\"\n0, 60, 1, 70\n1, 59, , \n"},
        {"thinning keeps the half row", {kStep}, false, true, kStepCal, {},
         "X_0, Y_0\n0, 90\n1, 90\n2, 90\n3, 89.5\n4, 89\n5, 89\n6, 89\n"},
        {"without thinning every pixel is a row", {kStep}, false, false, kStepCal, {},
         "X_0, Y_0\n0, 90\n1, 90\n2, 90\n3, 90\n3, 89\n4, 89\n5, 89\n6, 89\n"},
        {"the common X axis takes the upper pixel", {kStep}, true, false, kStepCal, {},
         "X, Y_0\n0, 90\n1, 90\n2, 90\n3, 90\n4, 89\n5, 89\n6, 89\n"},
        {"default scales: pixel centres, Y up from the bottom of 40 rows", {kStep}, false, true, Calibration{}, {},
         "X_0, Y_0\n5.5, 29.5\n6.5, 29.5\n7.5, 29.5\n8.5, 29\n9.5, 28.5\n10.5, 28.5\n11.5, 28.5\n"},
    };
    for (const Case& c : cases) {
        YesToAll yes;
        const auto table = PrepareExport(c.graphs, c.cal, ExportFor(c.commonX, c.thin, 60, 40), yes, nullptr);
        ASSERT_TRUE(table) << c.what;
        EXPECT_EQ(BuildCsvText(*table, c.labels), kBanner + c.expected) << c.what;
    }
}

TEST(CheckCalibration, BitsComeFromThePixelsOnly) {
    const int U = CAL_X_UNSET, V = CAL_Y_UNSET, S = CAL_X_TOO_SMALL, T = CAL_Y_TOO_SMALL;
    const int cases[][5] = {  // x1, x2, y1, y2, bits
        {-1, -1, -1, -1, U | V}, {100, 500, 400, 100, 0}, {100, 100, 400, 100, U}, {100, 500, 250, 250, V},
        {100, 101, 400, 100, S}, {101, 100, 400, 100, 0},  // one apart the other way round is accepted
        {100, 500, 400, 399, T}, {100, 500, 399, 400, 0},   {-1, 0, 400, 100, U | S}, {100, 500, 0, -1, V | T},
        {100, -1, 400, 100, U},
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& c : cases) {
        EXPECT_EQ(CheckCalibration(0, c[0], 1, c[1], 0, c[2], 1, c[3]), c[4]) << c[0] << " " << c[1] << " " << c[2];
        EXPECT_EQ(CheckCalibration(nan, c[0], nan, c[1], nan, c[2], nan, c[3]), c[4]);
    }
}

TEST(PixelToValue, BothAxesOnTheLineThroughTheCalibrationPoints) {
    struct Case {
        double p;
        int p1;
        double v1;
        int p2;
        double v2;
        bool log;
        int offset;
        double expected;
        bool exact;  // calibration pixels give their own values to the last bit
    };
    const Case cases[] = {
        {100, 100, 0, 500, 10, false, 0, 0, true},        {500, 100, 0, 500, 10, false, 0, 10, true},
        {8, 7, 1e6, 8, -2e-3, false, 0, -2e-3, true},      {300, 500, 0, 100, 10, false, 0, 5, false},
        {50, 100, 0, 500, 10, false, 0, -1.25, false},     // extrapolates
        {10.5, 10, 0, 20, 10, false, 0, 0.5, false},       // a thinned point between two rows
        {10.5, 10, 10, 20, 0, false, 300, 309.5, false},   // the offset is added
        {100, 100, 1, 500, 1000, true, 0, 1, true},        {500, 100, 1, 500, 1000, true, 0, 1000, true},
        {10, 9, 2.5e7, 10, 3, true, 0, 3, true},
        {300, 100, 3, 500, 7, true, 0, std::sqrt(21.0), false},
        {250, 100, 1, 300, 100, true, 0, std::pow(10.0, 1.5), false},  // a decade per 100 pixels
        {200, 100, 1, 300, 100, true, 2, 1000, false},     // the offset goes to the exponent
    };
    for (const Case& c : cases) {
        const double x = PixelToValueX(c.p, c.v1, c.p1, c.v2, c.p2, c.log);
        const double y = PixelToValueY(c.p, c.v1, c.p1, c.v2, c.p2, c.log, c.offset);
        if (c.exact) {
            EXPECT_EQ(x, c.expected) << c.p << " " << c.p1 << " " << c.p2;
        } else if (c.offset == 0) {
            EXPECT_DOUBLE_EQ(x, c.expected) << c.p << " " << c.p1 << " " << c.p2;
        }
        if (c.exact) EXPECT_EQ(y, c.expected); else EXPECT_DOUBLE_EQ(y, c.expected) << c.p << " " << c.offset;
    }
}

TEST(ValueToText, GeneralFormatWithSixDigits) {
    EXPECT_EQ(ValueToText(-120), "-120");
    EXPECT_EQ(ValueToText(1234567), "1234567");  // whole numbers are written whole
    // Fractions as printf's %g across magnitudes (the test runs in the "C" locale).
    cv::RNG rng(5);
    for (int i = 0; i < 2000; ++i) {
        const double v = (rng.uniform(0, 2) ? -1 : 1) * rng.uniform(1.0, 10.0) * std::pow(10.0, rng.uniform(-12, 13));
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v);
        ASSERT_EQ(ValueToText(v), buf);
    }
}

namespace {
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
}  // namespace

TEST(NumbersUnderCommaLocale, ExportAndLabelsKeepTheDecimalPoint) {
    const std::locale saved;
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    std::ostringstream probe;
    probe << 0.5;
    EXPECT_EQ(probe.str(), "0,5");  // the facet is really in force
    YesToAll yes;
    // Two pixels whose values have fractions: (0.5, 1.5) and (2.5, 1234.5).
    const auto table = PrepareExport({{{::Run{0, 0, 0}, ::Run{1, 2, 1}}}}, {0.5, 0, 2.5, 2, 1.5, 0, 1234.5, 1},
                                     ExportFor(false, false, 100, 100), yes, nullptr);
    const std::string text = table ? BuildCsvText(*table, {MakeLabel("at 3.5", LABEL_TEXT, 1234, 5)}) : "";
    const auto p1 = ParseLabelNumber("2.5e3 mm"), p2 = ParseLabelNumber("  -0.25");
    std::locale::global(saved);
    EXPECT_NE(text.find("\nText:, at 3.5, 1234, 5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n0.5, 1.5\n2.5, 1234.5\n"), std::string::npos) << text;
    EXPECT_EQ(p1, 2500.0);
    EXPECT_EQ(p2, -0.25);
}

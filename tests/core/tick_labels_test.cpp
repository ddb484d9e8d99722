// Calibration from tick labels: the number parser on tables of engine readings,
// the consensus fit with misread labels, label-to-tick pairing, the edge scan on
// drawn frames, and plotsnap-cli --auto-calibrate on two generated charts.
#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <optional>
#include <sstream>

#include "cli_run.h"
#include "support/builders.h"
#include "text/tick_calibrate.h"
#include "text/tick_fit.h"
#include "text/tick_marks.h"
#include "text/tick_number.h"

namespace {

// Glyph boxes in a 12-px font: digits 12 high on the baseline at 20, raised
// exponent digits 7 high ending at 13, minus signs 2 high.
TickGlyph Digit(const char* t, int x) { return {t, cv::Rect(x, 8, 7, 12)}; }
TickGlyph Raised(const char* t, int x) { return {t, cv::Rect(x, 6, 5, 7)}; }
TickGlyph RaisedMinus(int x) { return {"-", cv::Rect(x, 9, 4, 2)}; }

TEST(TickNumber, EngineReadingsTable) {
    struct Case {
        const char* text;
        std::vector<TickGlyph> glyphs;
        std::optional<double> value;
        TickNumber::Form form;
    };
    const TickNumber::Form P = TickNumber::Plain;
    const std::vector<Case> cases = {
        // The raised exponent, flattened by the engine, told from the glyph boxes.
        {"101", {Digit("1", 0), Digit("0", 8), Raised("1", 16)}, 10, TickNumber::Power},
        {"10-2", {Digit("1", 0), Digit("0", 8), RaisedMinus(16), Raised("2", 21)}, 0.01, TickNumber::Power},
        {"101", {Digit("1", 0), Digit("0", 8), Digit("1", 16)}, 101, TickNumber::Plain},  // all on the baseline
        {"101", {}, 101, TickNumber::Plain},                                               // no boxes: as read
        {"52", {Digit("5", 0), Raised("2", 8)}, std::nullopt, TickNumber::Plain},        // a power of 5 is no tick label
        // Signs: hyphen, Unicode minus, the dashes engines read for it.
        {"\xE2\x80\x94" "20", {}, -20, P},  // em dash
        {"\xE2\x88\x92" "20", {}, -20, P},  // U+2212
        {"\xE2\x80\x93" "0.5", {}, -0.5, P}, {"+3", {}, 3, P},
        // Decimal marks and thousands separators.
        {"1,000", {}, 1000, P}, {"-12,500", {}, -12500, P}, {"1,000,000", {}, 1e6, P}, {"1 000", {}, 1000, P},
        {"1.000.000", {}, 1e6, P}, {"1,000.5", {}, 1000.5, P}, {"1.000,5", {}, 1000.5, P}, {"2.5", {}, 2.5, P},
        {"0,5", {}, 0.5, P}, {".25", {}, 0.25, P}, {"20%", {}, 20, P},
        {"O.5", {}, 0.5, P},  // letter O for a zero
        // Exponent forms.
        {"2.5e-3", {}, 0.0025, P}, {"1e3", {}, 1000, P}, {"1E+03", {}, 1000, P}, {"10^3", {}, 1000, TickNumber::Power},
        {"10\xE2\x81\xBB\xC2\xB2", {}, 0.01, TickNumber::Power},     // 10 with superscript minus two
        {"\xC3\x97" "10\xE2\x81\xB4", {}, 1e4, TickNumber::Factor},  // x10 with superscript four
        {"x10^-3", {}, 0.001, TickNumber::Factor}, {"2\xC3\x97" "10\xC2\xB3", {}, 2000, P},
        {"-10^2", {}, -100, TickNumber::Power},
        // Not numbers.
        {"", {}, std::nullopt, P}, {"abc", {}, std::nullopt, P}, {"1.2.3", {}, std::nullopt, P},
        {"--5", {}, std::nullopt, P}, {"1,00,000", {}, std::nullopt, P}, {"1e", {}, std::nullopt, P},
        {"5^2", {}, std::nullopt, P}, {"x10", {}, std::nullopt, P},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto n = ParseTickNumber(c.text, c.glyphs);
        ASSERT_EQ(n.has_value(), c.value.has_value());
        if (!n) continue;
        EXPECT_NEAR(n->value, *c.value, 1e-9 * std::max(1.0, std::abs(*c.value)));
        EXPECT_EQ(n->form, c.form);
    }
}

TEST(TickNumber, RaisedTailFromBoxesAlone) {
    // Glyphs without text, as the picture's ink pieces: a raised minus and digit are the
    // tail; a decimal point, a lone small glyph or a raised dash alone is no exponent.
    const std::vector<std::pair<std::vector<cv::Rect>, size_t>> cases = {
        {{{0, 8, 7, 12}, {8, 8, 7, 12}, {16, 9, 4, 2}, {21, 6, 5, 7}}, 2},
        {{{0, 8, 7, 12}, {8, 18, 2, 2}, {11, 8, 7, 12}}, 0},  // 2.5
        {{{0, 6, 5, 7}}, 0},
        {{{0, 8, 7, 12}, {8, 9, 4, 2}}, 0},
    };
    for (const auto& [boxes, tail] : cases) {
        std::vector<TickGlyph> glyphs;
        for (const cv::Rect& b : boxes) glyphs.push_back({"", b});
        EXPECT_EQ(RaisedTailLength(glyphs), tail) << glyphs.size() << " glyphs";
    }
}

// Labels at pixel = 100 + 50 * k (linear) with the given values.
std::vector<TickValue> Ticks(const std::vector<double>& values, double step = 50) {
    std::vector<TickValue> t;
    for (size_t k = 0; k < values.size(); ++k) t.push_back({100 + step * double(k), values[k]});
    return t;
}

TEST(TickFit, ConsensusTable) {
    struct Case {
        const char* what;
        std::vector<TickValue> ticks;
        bool ok;
        AxisScale scale;
        std::vector<size_t> agreeing;  // when ok
        const char* reason;            // start of the reason when refused
        AxisFitSettings settings = {};
    };
    std::vector<TickValue> jittered = Ticks({0, 1, 2, 3, 4, 5});
    for (size_t k = 0; k < jittered.size(); ++k) jittered[k].pixel += (k % 2 ? 0.7 : -0.7);
    const std::vector<Case> cases = {
        {"exact linear", Ticks({0, 2, 4, 6, 8, 10}), true, AxisScale::Linear, {0, 1, 2, 3, 4, 5}, ""},
        {"decades", Ticks({1, 10, 100, 1000}), true, AxisScale::Logarithmic, {0, 1, 2, 3}, ""},
        {"one misread", Ticks({0, 2, 4, 7, 8, 10}), true, AxisScale::Linear, {0, 1, 2, 4, 5}, ""},
        {"misread exponent on a log axis", Ticks({1, 10, 107, 1000, 10000}), true, AxisScale::Logarithmic, {0, 1, 3, 4}, ""},
        {"two of five misread", Ticks({0, 5, 11, 15, 2}), true, AxisScale::Linear, {0, 1, 3}, ""},
        {"three of six misread", Ticks({0, 5, 11, 15, 2, 9}), false, AxisScale::Linear, {}, "too few tick labels agree"},
        {"only two labels", Ticks({0, 5}), false, AxisScale::Linear, {}, "only 2 tick labels read"},
        {"two agree, one does not", Ticks({0, 5, 7}), false, AxisScale::Linear, {}, "fewer than 3 tick labels agree"},
        {"all equal", Ticks({5, 5, 5, 5}), false, AxisScale::Linear, {}, "fewer than 3"},
        // Three labels fit 0..2 and three others 40..60 at the same spacing: no majority.
        {"two equally supported readings", Ticks({0, 1, 2, 40, 50, 60}), false, AxisScale::Linear, {}, ""},
        {"a residual above half a pixel", jittered, false, AxisScale::Linear, {},
         "the tick labels fit with a residual of 0.67 px", {2.0, 0.5, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AxisFit fit = FitAxisValues(c.ticks, c.settings);
        EXPECT_EQ(fit.ok, c.ok) << fit.reason;
        if (c.ok) {
            EXPECT_EQ(fit.scale, c.scale);
            EXPECT_EQ(fit.agreeing, c.agreeing);
            EXPECT_LE(fit.residual, 0.5);
            // The agreeing fit maps its labels back onto their ticks.
            for (size_t k : c.agreeing) {
                const double v = c.scale == AxisScale::Logarithmic ? std::log10(c.ticks[k].value) : c.ticks[k].value;
                EXPECT_NEAR(fit.offset + fit.slope * v, c.ticks[k].pixel, 1e-6) << k;
            }
        } else {
            EXPECT_EQ(fit.reason.rfind(c.reason, 0), 0u) << fit.reason;
        }
    }
}

TEST(TickPairing, LabelsPairWithTheTickTheyStandAt) {
    const std::vector<TickMark> ticks = {{100, 5, true, true}, {150, 5, true, true}, {175, 3, true, false},
                                         {200, 5, true, true}, {250, 5, true, true}};
    struct Case {
        const char* what;
        PlotEdge edge;
        std::vector<cv::Rect> labels;
        std::vector<int> expected;
        int ambiguous;
    };
    const std::vector<Case> cases = {
        {"centred below", PlotEdge::Bottom, {{90, 0, 21, 10}, {140, 0, 21, 10}, {240, 0, 21, 10}}, {0, 1, 4}, 0},
        {"minor ticks take no label", PlotEdge::Bottom, {{165, 0, 21, 10}}, {-1}, 0},
        {"far from any tick", PlotEdge::Bottom, {{112, 0, 20, 10}}, {-1}, 0},
        {"two labels on one tick", PlotEdge::Bottom, {{96, 0, 9, 10}, {98, 0, 9, 10}}, {-1, -1}, 2},
        {"between two ticks", PlotEdge::Bottom, {{80, 0, 90, 10}}, {-1}, 1},
        {"beside the left edge, by rows", PlotEdge::Left, {{0, 193, 30, 14}, {0, 95, 30, 12}}, {3, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TickPairing p = PairLabelsWithTicks(ticks, c.labels, c.edge);
        EXPECT_EQ(p.tickOfLabel, c.expected);
        EXPECT_EQ(p.ambiguous, c.ambiguous);
    }
}

// A white 400 x 300 chart with a 1-px frame around (60, 20)-(380, 240), ticks
// every 64 px along the bottom and left edges, and dark boxes for labels.
struct Frame {
    cv::Mat grey = cv::Mat(300, 400, CV_8UC1, cv::Scalar(255));
    PlotArea area{61, 21, 380, 240};  // inside the frame lines at column 60 and row 240
    Frame() { cv::rectangle(grey, cv::Point(60, 20), cv::Point(380, 240), cv::Scalar(0)); }
};

TEST(TickMarks, EdgeScanTable) {
    enum Style { Outside, Inside, Grid, WideOutside };
    struct Case {
        const char* what;
        Style style;
        double centre;  // of the bottom ticks, past their first column 92 + 64 k
        bool outside;
    };
    const std::vector<Case> cases = {
        {"ticks outside", Outside, 0, true},
        {"ticks inside", Inside, 0, false},
        {"grid lines", Grid, 0, false},
        {"2-px ticks centre between columns", WideOutside, 0.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Frame f;
        for (int x = 92; x < 380; x += 64) {
            const int w = c.style == WideOutside ? 1 : 0;
            if (c.style == Outside || c.style == WideOutside)
                cv::rectangle(f.grey, cv::Point(x, 241), cv::Point(x + w, 245), cv::Scalar(0), cv::FILLED);
            else if (c.style == Inside)
                cv::line(f.grey, cv::Point(x, 239), cv::Point(x, 235), cv::Scalar(0));
            else
                cv::line(f.grey, cv::Point(x, 21), cv::Point(x, 239), cv::Scalar(0));
            // A label of two 6 x 9 glyphs centred under the tick.
            cv::rectangle(f.grey, cv::Point(x - 6, 250), cv::Point(x - 1, 258), cv::Scalar(0), cv::FILLED);
            cv::rectangle(f.grey, cv::Point(x + 1 + w, 250), cv::Point(x + 6 + w, 258), cv::Scalar(0), cv::FILLED);
        }
        // A curve meeting the frame from inside makes no tick when real ones are there.
        cv::line(f.grey, cv::Point(200, 239), cv::Point(230, 150), cv::Scalar(0), 2);
        const EdgeScan scan = ScanPlotEdge(f.grey, f.area, PlotEdge::Bottom);
        ASSERT_TRUE(scan.problem.empty()) << scan.problem;
        EXPECT_EQ(scan.line, 240);
        std::vector<double> majors;
        for (const TickMark& t : scan.ticks)
            if (t.major) {
                majors.push_back(t.position);
                EXPECT_EQ(t.outside, c.outside);
            }
        ASSERT_EQ(majors.size(), 5u);
        for (size_t k = 0; k < majors.size(); ++k) EXPECT_NEAR(majors[k], 92 + 64.0 * double(k) + c.centre, 0.05);
        ASSERT_EQ(scan.labels.size(), 5u);
        for (const auto& label : scan.labels)
            EXPECT_EQ(std::make_pair(label.glyphs.size(), label.box.y), std::make_pair(size_t(2), 250));
    }
}

TEST(TickMarks, LeftEdgeLabelsAndWhatIsNoLabel) {
    Frame f;
    for (int y = 48; y < 240; y += 64) {
        cv::line(f.grey, cv::Point(55, y), cv::Point(59, y), cv::Scalar(0));
        cv::rectangle(f.grey, cv::Point(36, y - 4), cv::Point(50, y + 4), cv::Scalar(0), cv::FILLED);
    }
    // An axis title further out, turned, and a label of the bottom axis at the corner.
    cv::rectangle(f.grey, cv::Point(10, 90), cv::Point(20, 170), cv::Scalar(0), cv::FILLED);
    cv::rectangle(f.grey, cv::Point(56, 250), cv::Point(66, 258), cv::Scalar(0), cv::FILLED);
    const EdgeScan scan = ScanPlotEdge(f.grey, f.area, PlotEdge::Left);
    ASSERT_TRUE(scan.problem.empty()) << scan.problem;
    EXPECT_EQ(scan.line, 60);
    ASSERT_EQ(scan.ticks.size(), 3u);
    ASSERT_EQ(scan.labels.size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(scan.ticks[k].position, 48 + 64.0 * double(k), 0.05);
        EXPECT_EQ(scan.labels[k].box, cv::Rect(36, 44 + 64 * int(k), 15, 9));
    }
    // No frame at all, and a picture of the wrong type.
    const cv::Mat blank(300, 400, CV_8UC1, cv::Scalar(255));
    EXPECT_EQ(ScanPlotEdge(blank, f.area, PlotEdge::Left).problem, "no frame line along the left edge");
    EXPECT_THROW(ScanPlotEdge(cv::Mat(10, 10, CV_16UC1), f.area, PlotEdge::Left), std::invalid_argument);
}

// The generated charts' exact axes (from the drawing's own transform): pixel to value.
struct TrueAxis {
    double p1, v1, p2, v2;
    bool log;
    double U(double v) const { return log ? std::log10(v) : v; }
    double Value(double p) const {
        const double u = U(v1) + (p - p1) * (U(v2) - U(v1)) / (p2 - p1);
        return log ? std::pow(10.0, u) : u;
    }
    double Pixel(double v) const { return p1 + (U(v) - U(v1)) * (p2 - p1) / (U(v2) - U(v1)); }
};

TEST(AutoCalibrateCli, GeneratedChartsCalibrateBothAxes) {
    struct Case {
        const char* picture;
        const char* xLine;
        const char* yLine;
        TrueAxis x, y;
        int left, right, top, bottom;  // plot area, for the span
    };
    const std::vector<Case> cases = {
        {"ticks-linear-log.png", "X axis from 6 tick labels: 0 to 10, linear",
         "Y axis from 5 tick labels: 1 to 10000, logarithmic", {64, -0.19565697290550665, 629, 10.183659799785046, false},
         {426, 0.87082713187631844, 10, 11410.869140335095, true}, 59, 634, 5, 431},
        {"ticks-years-negative.png", "X axis from 5 tick labels: 1992 to 2016, linear",
         "Y axis from 5 tick labels: -40 to 40, linear", {66, 1989.437691953302, 629, 2020.5500276694665, false},
         {428, -51.404218943309246, 10, 51.441808865754055, false}, 61, 634, 5, 433},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        cli_test::TempDir dir;
        const cli_test::CliResult r = cli_test::RunCli(
            {"process", std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/" + c.picture, "--auto-calibrate", "--colour", "red"}, dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::vector<std::string> lines = cli_test::Lines(r.err);
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.xLine), lines.end()) << r.err;
        EXPECT_NE(std::find(lines.begin(), lines.end(), c.yLine), lines.end()) << r.err;
        // "Calibration from tick labels: --x P1=V1,P2=V2 --y P1=V1,P2=V2 [--log-y]": within
        // 0.3 % of the span of the exact axes at both ends of the plot.
        const auto at = r.err.find("Calibration from tick labels:");
        ASSERT_NE(at, std::string::npos);
        std::istringstream in(r.err.substr(at + 29));
        std::string flag, pair;
        for (int axis = 0; axis < 2 && (in >> flag >> pair); ++axis) {
            TrueAxis found{};
            ASSERT_EQ(std::sscanf(pair.c_str(), "%lf=%lf,%lf=%lf", &found.p1, &found.v1, &found.p2, &found.v2), 4) << pair;
            const bool isX = flag == "--x";
            const TrueAxis& truth = isX ? c.x : c.y;
            found.log = truth.log;
            const double a = isX ? c.left : c.bottom, b = isX ? c.right : c.top;
            for (double p : {a, b}) EXPECT_LT(std::abs(truth.Pixel(found.Value(p)) - p), 0.003 * std::abs(b - a)) << flag << " at " << p;
            if (truth.log) in >> flag;  // the --log-y after it
        }
    }
}

TEST(TickCalibration, TakenAxesReplaceTheirPointsAndLabelKindsOnly) {
    LabelCalibration found;
    found.x.calibrated = true;
    found.x.pixel1 = 75, found.x.value1 = 0, found.x.pixel2 = 620, found.x.value2 = 10, found.x.line = 432;
    found.x.labels = {MakeLabel("0", LABEL_XMIN), MakeLabel("10", LABEL_XMAX)};
    found.y.reason = "no tick labels beside the ticks";
    Calibration cal{0, 1, 0, 2, 5, 300, 0, 20, -1, 40};
    // The first keeps its Y kind and loses the X one; the second, left without kinds, is Text again.
    std::vector<TextLabel> labels = {MakeLabel("", LABEL_XMAX | LABEL_YMIN), MakeLabel("", LABEL_XMIN)};
    ASSERT_TRUE(TakeLabelCalibration(found, cal, labels));
    EXPECT_EQ(cal, (Calibration{0, 75, 10, 620, 5, 300, 0, 20, 432, 40}));  // Y untouched
    EXPECT_EQ(LabelKinds(labels), (std::vector<int>{LABEL_YMIN, LABEL_TEXT, LABEL_XMIN, LABEL_XMAX}));

    // Nothing found: nothing changes.
    const Calibration before = cal;
    found.x.calibrated = false;
    EXPECT_FALSE(TakeLabelCalibration(found, cal, labels));
    EXPECT_EQ(cal, before);
    EXPECT_EQ(labels.size(), 4u);
}

}  // namespace

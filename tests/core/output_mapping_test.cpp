// Calibration check, pixel-to-value mapping and number text, also under a
// global locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <sstream>

#include <opencv2/core.hpp>

#include "output/csv_writer.h"
#include "output/mapping.h"
#include "support/builders.h"
#include "text/label.h"

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
        {37, 37, -3.7, 1234, 0.1, false, 0, -3.7, true},   {1234, 37, -3.7, 1234, 0.1, false, 0, 0.1, true},
        {8, 7, 1e6, 8, -2e-3, false, 0, -2e-3, true},      {300, 500, 0, 100, 10, false, 0, 5, false},
        {50, 100, 0, 500, 10, false, 0, -1.25, false},     // extrapolates
        {10.5, 10, 0, 20, 10, false, 0, 0.5, false},       // a thinned point between two rows
        {10.5, 10, 10, 20, 0, false, 300, 309.5, false},   // the offset is added
        {100, 100, 1, 500, 1000, true, 0, 1, true},        {500, 100, 1, 500, 1000, true, 0, 1000, true},
        {700, 20, 0.01, 700, 0.3, true, 0, 0.3, true},     {10, 9, 2.5e7, 10, 3, true, 0, 3, true},
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
    EXPECT_EQ(ValueToText(0.1 + 0.2), "0.3");
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

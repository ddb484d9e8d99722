// Calibration check, pixel-to-value mapping and number text, also under a
// locale whose decimal separator is a comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <locale>
#include <sstream>

#include <opencv2/core.hpp>

#include "output/csv_writer.h"
#include "output/mapping.h"
#include "output/series.h"
#include "text/label.h"

TEST(CheckCalibration, BitsComeFromThePixelsOnly) {
    struct Case {
        int x1, x2, y1, y2, bits;
    };
    const Case cases[] = {
        {-1, -1, -1, -1, CAL_X_UNSET | CAL_Y_UNSET},
        {100, 500, 400, 100, 0},
        {100, 100, 400, 100, CAL_X_UNSET},
        {100, 500, 250, 250, CAL_Y_UNSET},
        {100, 101, 400, 100, CAL_X_TOO_SMALL},
        {101, 100, 400, 100, 0},  // one apart the other way round is accepted
        {100, 500, 400, 399, CAL_Y_TOO_SMALL},
        {100, 500, 399, 400, 0},
        {-1, 0, 400, 100, CAL_X_UNSET | CAL_X_TOO_SMALL},
        {100, 500, 0, -1, CAL_Y_UNSET | CAL_Y_TOO_SMALL},
        {100, -1, 400, 100, CAL_X_UNSET},
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : cases) {
        EXPECT_EQ(CheckCalibration(0, c.x1, 1, c.x2, 0, c.y1, 1, c.y2), c.bits)
            << c.x1 << " " << c.x2 << " " << c.y1 << " " << c.y2;
        EXPECT_EQ(CheckCalibration(nan, c.x1, nan, c.x2, nan, c.y1, nan, c.y2), c.bits);
        EXPECT_EQ(CheckCalibration(Calibration{0, c.x1, 1, c.x2, 0, c.y1, 1, c.y2}), c.bits);
    }
}

TEST(PixelToValue, CalibrationPixelsGiveTheirOwnValues) {
    struct Axis {
        int p1;
        double v1;
        int p2;
        double v2;
    };
    const Axis linear[] = {{100, 0, 500, 10}, {500, 0, 100, 10}, {37, -3.7, 1234, 0.1}, {400, 0.3, 402, 0.1},
                           {7, 1e6, 8, -2e-3}};
    for (const Axis& a : linear) {
        EXPECT_EQ(PixelToValueX(a.p1, a.v1, a.p1, a.v2, a.p2, false), a.v1);
        EXPECT_EQ(PixelToValueX(a.p2, a.v1, a.p1, a.v2, a.p2, false), a.v2);
        EXPECT_EQ(PixelToValueY(a.p1, a.v1, a.p1, a.v2, a.p2, false, 0), a.v1);
        EXPECT_EQ(PixelToValueY(a.p2, a.v1, a.p1, a.v2, a.p2, false, 0), a.v2);
        const double mid = (a.p1 + a.p2) / 2.0;
        EXPECT_DOUBLE_EQ(PixelToValueX(mid, a.v1, a.p1, a.v2, a.p2, false), (a.v1 + a.v2) / 2);
        EXPECT_DOUBLE_EQ(PixelToValueY(mid, a.v1, a.p1, a.v2, a.p2, false, 0), (a.v1 + a.v2) / 2);
    }
    const Axis logarithmic[] = {{100, 1, 500, 1000}, {500, 3, 100, 7}, {20, 0.01, 700, 0.3}, {9, 2.5e7, 10, 3}};
    for (const Axis& a : logarithmic) {
        EXPECT_EQ(PixelToValueX(a.p1, a.v1, a.p1, a.v2, a.p2, true), a.v1);
        EXPECT_EQ(PixelToValueX(a.p2, a.v1, a.p1, a.v2, a.p2, true), a.v2);
        EXPECT_EQ(PixelToValueY(a.p1, a.v1, a.p1, a.v2, a.p2, true, 0), a.v1);
        EXPECT_EQ(PixelToValueY(a.p2, a.v1, a.p1, a.v2, a.p2, true, 0), a.v2);
        const double mid = (a.p1 + a.p2) / 2.0;
        EXPECT_DOUBLE_EQ(PixelToValueX(mid, a.v1, a.p1, a.v2, a.p2, true), std::sqrt(a.v1 * a.v2));
        EXPECT_DOUBLE_EQ(PixelToValueY(mid, a.v1, a.p1, a.v2, a.p2, true, 0), std::sqrt(a.v1 * a.v2));
    }
}

TEST(PixelToValue, DirectionFractionsAndOffset) {
    // Y counted upward: 0 at row 400 and 30 at row 100, so lower rows in the picture are smaller.
    EXPECT_DOUBLE_EQ(PixelToValueY(250, 0, 400, 30, 100, false, 0), 15);
    EXPECT_DOUBLE_EQ(PixelToValueY(450, 0, 400, 30, 100, false, 0), -5);
    EXPECT_DOUBLE_EQ(PixelToValueX(50, 0, 100, 10, 500, false), -1.25);  // extrapolates left
    // A half row or column is kept: a thinned point between two rows.
    EXPECT_DOUBLE_EQ(PixelToValueX(10.5, 0, 10, 10, 20, false), 0.5);
    EXPECT_DOUBLE_EQ(PixelToValueY(10.5, 10, 10, 0, 20, false, 0), 9.5);
    EXPECT_DOUBLE_EQ(PixelToValueY(10.5, 10, 10, 0, 20, false, 300), 309.5);
    // One decade per 100 pixels.
    EXPECT_DOUBLE_EQ(PixelToValueX(250, 1, 100, 100, 300, true), std::pow(10.0, 1.5));
}

TEST(ValueToText, GeneralFormatWithSixDigits) {
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5"},           {1.0, "1"},           {-2.5, "-2.5"},       {0.1 + 0.2, "0.3"},
        {100000, "100000"},     {123456.7, "123457"}, {1234567, "1.23457e+06"}, {0.0001, "0.0001"},
        {0.00001234, "1.234e-05"}, {1e21, "1e+21"},   {0, "0"},             {2.0 / 3, "0.666667"},
    };
    for (const auto& c : cases) EXPECT_EQ(ValueToText(c.first), c.second) << c.second;
    EXPECT_EQ(ValueToText(0), "0");
    EXPECT_EQ(ValueToText(-120), "-120");
    EXPECT_EQ(ValueToText(1234567), "1234567");

    // Same as printf's %g across magnitudes (the test runs in the "C" locale).
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

// Puts the program's C and C++ locales back however the test ends.
class LocaleRestorer {
public:
    LocaleRestorer() : cpp_(std::locale()), c_(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleRestorer() {
        std::locale::global(cpp_);
        std::setlocale(LC_ALL, c_.c_str());
    }

private:
    std::locale cpp_;
    std::string c_;
};

// One graph, two pixels whose values have fractions: (0.5, 1.5) and (2.5, 1234.5).
std::string SmallExport() {
    struct Yes : ExportQuestions {
        bool AskYesNo(const std::string&) override { return true; }
        void ShowError(const std::string&, const std::string&) override {}
    } yes;
    ExportSettings s;
    s.thin = false;
    s.commonX = false;
    s.imageHeight = 100;
    s.imageWidth = 100;
    const Calibration cal{0.5, 0, 2.5, 2, 1.5, 0, 1234.5, 1};
    auto table = PrepareExport({{{::Run{0, 0, 0}, ::Run{1, 2, 1}}}}, cal, s, yes, nullptr);
    TextLabel note;
    note.text = "at 3.5";
    note.left = 1234;
    note.top = 5;
    return table ? BuildCsvText(*table, {note}) : std::string();
}

void ExpectClassicNumbers() {
    EXPECT_EQ(ValueToText(0.5), "0.5");
    EXPECT_EQ(ValueToText(1234567.0), "1.23457e+06");
    EXPECT_EQ(ValueToText(1234), "1234");
    const std::string text = SmallExport();
    EXPECT_NE(text.find("\nText:, at 3.5, 1234, 5\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n0.5, 1.5\n2.5, 1234.5\n"), std::string::npos) << text;
    EXPECT_EQ(ParseLabelNumber("2.5e3 mm"), 2500.0);
    EXPECT_EQ(ParseLabelNumber("  -0.25"), -0.25);
    EXPECT_FALSE(ParseLabelNumber("mm 3").has_value());
}

}  // namespace

TEST(NumbersUnderCommaLocale, CppGlobalLocaleWithCommaFacet) {
    LocaleRestorer restore;
    std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    std::ostringstream probe;
    probe << 0.5;
    ASSERT_EQ(probe.str(), "0,5");  // the facet is really in force
    ExpectClassicNumbers();
}

TEST(NumbersUnderCommaLocale, SystemLocaleWithComma) {
    LocaleRestorer restore;
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR",
                           "nl_NL.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8"};
    const char* found = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",") {
            found = name;
            break;
        }
    }
    if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
    std::locale::global(std::locale(found));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%g", 0.5);
    ASSERT_STREQ(buf, "0,5");
    ExpectClassicNumbers();
}

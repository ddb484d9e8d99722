// Legends and what is drawn over a plot, on small drawn charts: where legends are
// found, which patches a whole-curve pick leaves out, and legend texts as headings.
#include "detect/annotation.h"
#include "detect/legend.h"
#include "detect/process.h"
#include "document/selection.h"
#include "cli_run.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Red, green, blue order like the document image; drawn without smoothing so
// every pixel keeps its colour.
const cv::Scalar kBlack(0, 0, 0), kRed(220, 0, 0), kBlue(0, 0, 220), kGreen(0, 150, 0);
const std::vector<cv::Scalar> kInks = {kBlack, kRed, kBlue, kGreen};
// The plot: open axes left and bottom, curves inside.
const cv::Rect kPlot(42, 20, 340, 240);

cv::Mat Chart() {
    cv::Mat img(300, 400, CV_8UC3, cv::Scalar(255, 255, 255));
    cv::line(img, {40, 20}, {40, 262}, kBlack, 2);
    cv::line(img, {40, 262}, {382, 262}, kBlack, 2);
    return img;
}

void Curve(cv::Mat& img, const std::function<double(double)>& row, const cv::Scalar& ink, int thick,
           int from = 44, int to = 378) {
    std::vector<cv::Point> pts;
    for (int x = from; x <= to; x += 2) pts.emplace_back(x, int(std::lround(row(x))));
    cv::polylines(img, pts, false, ink, thick, cv::LINE_8);
}

void Text(cv::Mat& img, const std::string& text, cv::Point at, const cv::Scalar& ink = kBlack) {
    cv::putText(img, text, at, cv::FONT_HERSHEY_SIMPLEX, 0.45, ink, 1, cv::LINE_8);
}

struct Entry {
    cv::Scalar ink;
    std::string text;
};

// A legend column at `at`: samples 24 px long, text 6 px right of them, 18 px a
// line; `smooth` draws anti-aliased in a face the OCR engine reads well.
void LegendAt(cv::Mat& img, cv::Point at, const std::vector<Entry>& entries, bool boxed, bool smooth = false) {
    const int aa = smooth ? cv::LINE_AA : cv::LINE_8;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int y = at.y + 18 * int(i);
        cv::line(img, {at.x, y}, {at.x + 24, y}, entries[i].ink, 2, aa);
        cv::putText(img, entries[i].text, {at.x + 30, y + 5}, smooth ? cv::FONT_HERSHEY_DUPLEX : cv::FONT_HERSHEY_SIMPLEX,
                    smooth ? 0.5 : 0.45, kBlack, 1, aa);
    }
    if (boxed) cv::rectangle(img, cv::Rect(at.x - 6, at.y - 10, 100, 18 * int(entries.size()) + 8), kBlack, 1, cv::LINE_8);
}

double Wave(double x) { return 150 + 60 * std::sin(x / 45.0); }
double Rise(double x) { return 240 - 0.5 * (x - 44); }

void TwoCurves(cv::Mat& img) {
    Curve(img, Wave, kRed, 2);
    Curve(img, Rise, kBlue, 2);
}

const std::vector<Entry> kTwo = {{kRed, "alpha"}, {kBlue, "beta"}};

struct Digitized {
    PatchList patches;
    std::vector<PatchRole> roles;
};

int InkIndex(const cv::Vec3b& p) {
    for (size_t i = 0; i < kInks.size(); ++i)
        if (cv::Vec3b(uchar(kInks[i][0]), uchar(kInks[i][1]), uchar(kInks[i][2])) == p) return int(i);
    return -1;
}

Digitized Digitize(const cv::Mat& img) {
    Digitized d;
    StringLog log;
    const PlotArea inside{kPlot.x, kPlot.y, kPlot.x + kPlot.width, kPlot.y + kPlot.height};
    ProcessResult pass = RunProcessing(img, ProcessSettings(), inside, log, AbortQuestion());
    d.patches = std::move(pass.patches);
    std::vector<int> classes;
    for (const Patch& p : d.patches) classes.push_back(InkIndex(img.at<cv::Vec3b>(p.front().row1, p.front().col)));
    AnnotationSettings settings;
    settings.oneInkPerClass = true;  // the classes are the drawn inks
    d.roles = ClassifyPatches(d.patches, classes, FindLegends(img), pass.plotArea, settings);
    return d;
}

// The role of the first patch found in a small square around p; fails when none lies there.
PatchRole RoleAt(const Digitized& d, cv::Point p) {
    for (int r = 0; r <= 3; ++r)
        for (int y = p.y - r; y <= p.y + r; ++y)
            for (int x = p.x - r; x <= p.x + r; ++x)
                for (size_t i = 0; i < d.patches.size(); ++i)
                    if (HitPatch({x, y}, d.patches[i], 1)) return d.roles[i];
    ADD_FAILURE() << "no patch at " << p;
    return PatchRole::Curve;
}

// A pixel of a drawn curve at column x.
cv::Point On(double (*row)(double), int x) { return {x, int(std::lround(row(x)))}; }

}  // namespace

TEST(Legend, FoundWhereverItStandsAndOnlyWhenEntriesAreAlignedOrBoxed) {
    struct Case {
        const char* name;
        cv::Point at;
        std::vector<Entry> entries;
        bool boxed;
        size_t legends;
    };
    const std::vector<Case> cases = {
        {"boxed, inside upper right", {280, 40}, kTwo, true, 1},
        {"unboxed, inside lower left", {150, 222}, kTwo, false, 1},
        {"three entries, inside", {60, 30}, {{kRed, "one"}, {kBlue, "two"}, {kGreen, "three"}}, false, 1},
        {"outside right of the plot", {392, 60}, kTwo, false, 1},
        {"single boxed entry", {280, 40}, {{kRed, "alpha"}}, true, 1},
        {"single entry without a box is a dash with a word", {280, 40}, {{kRed, "alpha"}}, false, 0},
        {"no legend", {0, 0}, {}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cv::Mat img = Chart();
        if (c.at.x > 380) cv::copyMakeBorder(img, img, 0, 0, 0, 120, cv::BORDER_CONSTANT, cv::Scalar::all(255));
        TwoCurves(img);
        for (int i = 0; i < 6; ++i) Text(img, std::to_string(i * 20), {12, 258 - 44 * i});  // tick labels
        if (!c.entries.empty()) LegendAt(img, c.at, c.entries, c.boxed);
        const std::vector<Legend> found = FindLegends(img);
        ASSERT_EQ(found.size(), c.legends);
        if (!c.legends) continue;
        ASSERT_EQ(found[0].entries.size(), c.entries.size());
        EXPECT_EQ(found[0].boxed, c.boxed);
        for (size_t i = 0; i < c.entries.size(); ++i) {
            const LegendEntry& e = found[0].entries[i];
            EXPECT_EQ(e.rgb, cv::Vec3b(uchar(c.entries[i].ink[0]), uchar(c.entries[i].ink[1]), uchar(c.entries[i].ink[2])));
            EXPECT_NEAR(e.sample.y, c.at.y + 18 * int(i) - 1, 1);
            EXPECT_GE(e.text.x, e.sample.x + e.sample.width);
            EXPECT_TRUE((found[0].region & e.text) == e.text);
        }
    }
}

TEST(Legend, WholeCurvePicksLeaveOutLegendsTextAndArrows) {
    // name, what is drawn, and the role of the patch at each probed point
    using Probes = std::vector<std::pair<cv::Point, PatchRole>>;
    const std::vector<std::tuple<const char*, std::function<void(cv::Mat&)>, Probes>> cases = {
        {"a boxed legend's samples, text and box",
         [](cv::Mat& m) { TwoCurves(m); LegendAt(m, {290, 40}, {{kRed, "alpha"}, {kBlack, "beta"}}, true); },
         {{On(Wave, 100), PatchRole::Curve}, {{300, 40}, PatchRole::Legend}, {{300, 58}, PatchRole::Legend},
          {{284, 45}, PatchRole::Legend}}},
        {"an unboxed legend's samples",
         [](cv::Mat& m) { TwoCurves(m); LegendAt(m, {60, 30}, kTwo, false); },
         {{On(Wave, 200), PatchRole::Curve}, {On(Rise, 200), PatchRole::Curve}, {{70, 30}, PatchRole::Legend},
          {{70, 48}, PatchRole::Legend}}},
        {"a black number beside a black curve",
         [](cv::Mat& m) {
             Curve(m, Wave, kBlack, 2);
             Text(m, "3", {205, 106});  // 5 px under the curve's crest
         },
         {{On(Wave, 300), PatchRole::Curve}, {{209, 101}, PatchRole::Annotation}}},
        {"an arrow pointing at the curve",
         [](cv::Mat& m) {
             Curve(m, Wave, kBlack, 2);
             cv::arrowedLine(m, {212, 40}, {212, 82}, kBlack, 1, cv::LINE_8, 0, 0.3);
         },
         {{On(Wave, 60), PatchRole::Curve}, {{212, 50}, PatchRole::Annotation}}},
        {"every dash of a dashed curve",
         [](cv::Mat& m) { for (int x = 44; x < 376; x += 12) Curve(m, Wave, kBlack, 2, x, x + 8); },
         {{On(Wave, 46), PatchRole::Curve}, {On(Wave, 202), PatchRole::Curve}, {On(Wave, 370), PatchRole::Curve}}},
        {"a short dashed stretch beside a solid curve of its colour",
         [](cv::Mat& m) { Curve(m, Wave, kBlack, 2); for (int x = 200; x < 260; x += 12) Curve(m, Rise, kBlack, 2, x, x + 8); },
         {{On(Wave, 100), PatchRole::Curve}, {On(Rise, 226), PatchRole::Curve}}},
        {"a curve cut by a thick crossing curve, its short end too",
         [](cv::Mat& m) { Curve(m, Wave, kRed, 2); cv::line(m, {60, 20}, {60, 258}, kBlue, 7); },
         {{On(Wave, 50), PatchRole::Curve}, {On(Wave, 200), PatchRole::Curve}}},
        {"a curve under a thick one for a long stretch",
         [](cv::Mat& m) {
             Curve(m, [](double x) { return 100.0 + (x < 150 ? 0 : (x - 150) * 0.4); }, kRed, 3);
             Curve(m, [](double) { return 101.0; }, kBlue, 6, 60, 150);
         },
         {{{50, 100}, PatchRole::Curve}, {{300, 160}, PatchRole::Curve}}},
        {"a thick curve's stub beyond a box drawn over it",
         [](cv::Mat& m) {
             Curve(m, [](double) { return 200.0; }, kRed, 6);
             cv::rectangle(m, cv::Rect(300, 180, 77, 40), cv::Scalar(255, 255, 255), cv::FILLED);
             cv::rectangle(m, cv::Rect(300, 180, 77, 40), kBlack, 1, cv::LINE_8);
         },
         {{{200, 200}, PatchRole::Curve}, {{379, 200}, PatchRole::Curve}}},
        {"scatter markers all alike",
         [](cv::Mat& m) {
             for (int x = 60; x < 370; x += 25) cv::circle(m, {x, int(Wave(x))}, 3, kGreen, cv::FILLED, cv::LINE_8);
         },
         {{On(Wave, 60), PatchRole::Curve}, {On(Wave, 210), PatchRole::Curve}, {On(Wave, 360), PatchRole::Curve}}},
    };
    for (const auto& [name, draw, probes] : cases) {
        SCOPED_TRACE(name);
        cv::Mat img = Chart();
        draw(img);
        const Digitized d = Digitize(img);
        for (const auto& [at, role] : probes) EXPECT_EQ(int(RoleAt(d, at)), int(role)) << "at " << at;
    }
}

TEST(Legend, CommandLineHeadsEachColourPickWithTheLegendTextOfItsColour) {
    cv::Mat img = Chart();
    TwoCurves(img);
    Curve(img, [](double x) { return 60 + 0.1 * x; }, kGreen, 2);  // no entry: keeps its number
    LegendAt(img, {290, 40}, {{kRed, "Speed"}, {kBlue, "Load"}}, true, true);
    cli_test::TempDir dir;
    ASSERT_TRUE(cli_test::WritePpm(dir / "legend.ppm", img));
    for (const char* commonX : {"--common-x", "--no-common-x"}) {
        const cli_test::CliResult r = cli_test::RunCli({"process", dir / "legend.ppm", "--plot-rect", "42,20,382,260",
                                                        "--colour", "blue", "--graph", "--colour", "green", "--graph",
                                                        "--colour", "red", "--default-scales", commonX}, dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto lines = cli_test::Lines(r.out);
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[2], commonX[2] == 'c' ? "X, Load, Y_1, Speed" : "X_0, Load, X_1, Y_1, X_2, Speed");
    }
}

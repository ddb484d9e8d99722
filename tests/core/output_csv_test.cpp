// The exported text, character for character.
#include <gtest/gtest.h>

#include "output/csv_writer.h"
#include "support/builders.h"

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

TextLabel Label(const std::string& text, int kind, int left = 0, int top = 0) {
    return MakeLabel(text, kind, left, top);
}

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
         {Label("peak", LABEL_TEXT, 120, 45), Label("Pressure test", LABEL_TITLE), Label("Time", LABEL_XLEGEND),
          Label("0", LABEL_XMIN | LABEL_YMIN, 3, 4), Label("Volts", LABEL_YLEGEND), Label("Run 2", LABEL_TITLE),
          Label("two\nlines", LABEL_TEXT, 7, 8)},
         "Title:, Pressure test\nTitle:, Run 2\nText:, peak, 120, 45\nText:, two lines, 7, 8\n\n"
         "Time, Volts_0, Volts_1\n0, 60, \n1, 59, 70\n"},
        {"only a legend still gets the empty line", {kA}, false, false, kCal, {Label("Time", LABEL_XLEGEND)},
         "\nTime_0, Y_0\n0, 60\n1, 59\n"},
        {"the later legend wins, an empty one falls back", {kA, kB}, false, false, kCal,
         {Label("Time", LABEL_XLEGEND), Label("Volts", LABEL_YLEGEND), Label("Seconds", LABEL_XLEGEND),
          Label("", LABEL_YLEGEND)},
         "\nSeconds_0, Y_0, Seconds_1, Y_1\n0, 60, 1, 70\n1, 59, , \n"},
        // A field with a comma or a quote is quoted, right after the comma, quotes doubled.
        {"quoted title, text and legends", {kA, kB}, true, false, kCal,
         {Label("Pressure, kPa", LABEL_TITLE), Label("say \"hi\"", LABEL_TEXT, 1, 2), Label("t, s", LABEL_XLEGEND),
          Label("p\"", LABEL_YLEGEND)},
         "Title:,\"Pressure, kPa\"\nText:,\"say \"\"hi\"\"\", 1, 2\n\n"
         "\"t, s\",\"p\"\"_0\",\"p\"\"_1\"\n0, 60, \n1, 59, 70\n"},
        {"quoted headings without the common X axis", {kA, kB}, false, false, kCal,
         {Label("a,b", LABEL_XLEGEND), Label("two\nlines, V", LABEL_YLEGEND)},
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

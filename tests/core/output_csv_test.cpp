// The exported text, character for character.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "output/csv_writer.h"

namespace {

const std::string kBanner = "plotsnap version 1.21 - chart digitizer, https://plotsnap.example.org\n\n";

struct AlwaysYes : ExportQuestions {
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string& message, const std::string&) override { ADD_FAILURE() << message; }
};

// X = column - 10, Y = 100 - row.
const Calibration kCal{0, 10, 10, 20, 0, 100, 50, 50};

// Graph "A": (0, 60) and (1, 59); graph "B": (1, 70) only.
const PatchList kA = {{::Run{40, 10, 40}, ::Run{41, 11, 41}}};
const PatchList kB = {{::Run{30, 11, 30}}};

std::string Export(const std::vector<PatchList>& graphs, bool commonX, const std::vector<TextLabel>& labels = {},
                   bool thin = false, const Calibration& cal = kCal) {
    AlwaysYes yes;
    ExportSettings s;
    s.commonX = commonX;
    s.thin = thin;
    s.imageHeight = 40;
    s.imageWidth = 60;
    const auto table = PrepareExport(graphs, cal, s, yes, nullptr);
    EXPECT_TRUE(table);
    return table ? BuildCsvText(*table, labels) : std::string();
}

TextLabel Label(const std::string& text, int kind, int left = 0, int top = 0) {
    TextLabel l;
    l.text = text;
    l.kind = kind;
    l.left = left;
    l.top = top;
    return l;
}

// Every line after the heading has as many fields as the heading.
void ExpectAlignedFields(const std::string& text, const std::string& heading) {
    const size_t at = text.find(heading + "\n");
    ASSERT_NE(at, std::string::npos);
    std::istringstream lines(text.substr(at));
    std::string line;
    std::getline(lines, line);
    const auto commas = std::count(line.begin(), line.end(), ',');
    while (std::getline(lines, line)) EXPECT_EQ(std::count(line.begin(), line.end(), ','), commas) << line;
}

}  // namespace

TEST(CsvText, CommonXAxisLeavesAMissingValueEmpty) {
    EXPECT_EQ(Export({kA, kB}, true), kBanner +
                                          "X, Y_0, Y_1\n"
                                          "0, 60, \n"
                                          "1, 59, 70\n");
    EXPECT_EQ(Export({kA}, true), kBanner +
                                      "X, Y_0\n"
                                      "0, 60\n"
                                      "1, 59\n");
}

TEST(CsvText, SeparateXColumnsStayUnderTheirHeadings) {
    // A graph that has run out of points keeps both of its fields, empty.
    const std::string later = Export({kA, kB}, false);
    EXPECT_EQ(later, kBanner +
                         "X_0, Y_0, X_1, Y_1\n"
                         "0, 60, 1, 70\n"
                         "1, 59, , \n");
    ExpectAlignedFields(later, "X_0, Y_0, X_1, Y_1");

    const std::string earlier = Export({kB, kA}, false);
    EXPECT_EQ(earlier, kBanner +
                           "X_0, Y_0, X_1, Y_1\n"
                           "1, 70, 0, 60\n"
                           ", , 1, 59\n");
    ExpectAlignedFields(earlier, "X_0, Y_0, X_1, Y_1");

    EXPECT_EQ(Export({kA}, false), kBanner +
                                       "X_0, Y_0\n"
                                       "0, 60\n"
                                       "1, 59\n");
}

TEST(CsvText, TitlesThenTextsThenLegendsName) {
    const std::vector<TextLabel> labels = {
        Label("peak", LABEL_TEXT, 120, 45), Label("Pressure test", LABEL_TITLE), Label("Time", LABEL_XLEGEND),
        Label("0", LABEL_XMIN | LABEL_YMIN, 3, 4),  // axis values are not written
        Label("Volts", LABEL_YLEGEND),          Label("Run 2", LABEL_TITLE),
        Label("two\nlines", LABEL_TEXT, 7, 8),
    };
    EXPECT_EQ(Export({kA, kB}, true, labels), kBanner +
                                                  "Title:, Pressure test\n"
                                                  "Title:, Run 2\n"
                                                  "Text:, peak, 120, 45\n"
                                                  "Text:, two lines, 7, 8\n"
                                                  "\n"
                                                  "Time, Volts_0, Volts_1\n"
                                                  "0, 60, \n"
                                                  "1, 59, 70\n");
}

TEST(CsvText, LegendsLaterWinsEmptyFallsBack) {
    // Only a legend: no Title or Text lines, but still the empty line after the labels.
    EXPECT_EQ(Export({kA}, false, {Label("Time", LABEL_XLEGEND)}), kBanner +
                                                                       "\n"
                                                                       "Time_0, Y_0\n"
                                                                       "0, 60\n"
                                                                       "1, 59\n");
    const std::vector<TextLabel> labels = {Label("Time", LABEL_XLEGEND), Label("Volts", LABEL_YLEGEND),
                                           Label("Seconds", LABEL_XLEGEND), Label("", LABEL_YLEGEND)};
    EXPECT_EQ(Export({kA, kB}, false, labels), kBanner +
                                                   "\n"
                                                   "Seconds_0, Y_0, Seconds_1, Y_1\n"
                                                   "0, 60, 1, 70\n"
                                                   "1, 59, , \n");
}

TEST(CsvText, ThinningKeepsTheHalfRow) {
    // A stroke along row 10 stepping to row 11 at column 8, which holds both rows.
    PatchList step = {{::Run{10, 5, 10}, ::Run{10, 6, 10}, ::Run{10, 7, 10}, ::Run{10, 8, 11}, ::Run{11, 9, 11},
                       ::Run{11, 10, 11}, ::Run{11, 11, 11}}};
    // X = column - 5, Y = 100 - row.
    const Calibration cal{0, 5, 6, 11, 0, 100, 50, 50};
    EXPECT_EQ(Export({step}, false, {}, true, cal), kBanner +
                                                        "X_0, Y_0\n"
                                                        "0, 90\n1, 90\n2, 90\n"
                                                        "3, 89.5\n"
                                                        "4, 89\n5, 89\n6, 89\n");
    EXPECT_EQ(Export({step}, true, {}, true, cal), kBanner +
                                                       "X, Y_0\n"
                                                       "0, 90\n1, 90\n2, 90\n"
                                                       "3, 89.5\n"
                                                       "4, 89\n5, 89\n6, 89\n");
    // Without thinning every pixel is a row; the common X axis takes the upper one.
    EXPECT_EQ(Export({step}, false, {}, false, cal), kBanner +
                                                         "X_0, Y_0\n"
                                                         "0, 90\n1, 90\n2, 90\n"
                                                         "3, 90\n3, 89\n"
                                                         "4, 89\n5, 89\n6, 89\n");
    EXPECT_EQ(Export({step}, true, {}, false, cal), kBanner +
                                                        "X, Y_0\n"
                                                        "0, 90\n1, 90\n2, 90\n"
                                                        "3, 90\n"
                                                        "4, 89\n5, 89\n6, 89\n");
    // Default scales: pixel centres, Y counted up from the bottom of the 40-row picture.
    EXPECT_EQ(Export({step}, false, {}, true, Calibration{}), kBanner +
                                                                        "X_0, Y_0\n"
                                                                        "5.5, 29.5\n6.5, 29.5\n7.5, 29.5\n"
                                                                        "8.5, 29\n"
                                                                        "9.5, 28.5\n10.5, 28.5\n11.5, 28.5\n");
}

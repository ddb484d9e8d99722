// plotsnap-cli end to end on a chart with two known curves: picks by point, band
// and colour give the curves' values and the patches are listed; a saved run
// exports the same bytes, and a batch applies one project to many pictures.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <regex>

#include "cli_run.h"
#include "cli_sample_chart.h"

using namespace cli_test;
namespace sc = sample_chart;

namespace {

const std::string kXCal = "--x=" + std::to_string(sc::kLeft) + "=0," + std::to_string(sc::kRight) + "=10";
const std::string kYCal = "--y=" + std::to_string(sc::kBottom) + "=0," + std::to_string(sc::kTop) + "=100";
// Pixels at x = 2 on the red curve and x = 6 on the blue one.
const std::string kRedPoint = std::to_string(int(sc::ColumnOf(2))) + "," + std::to_string(int(std::lround(sc::RowOf(sc::Red(2)))));
const std::string kBluePoint = std::to_string(int(sc::ColumnOf(6))) + "," + std::to_string(int(std::lround(sc::RowOf(sc::Blue(6)))));

// One pixel's worth of each axis.
constexpr double kDx = sc::kXMax / (sc::kRight - sc::kLeft);
constexpr double kDy = sc::kYMax / (sc::kBottom - sc::kTop);

// Within a pixel of the curve: some x within a pixel of the row's x has a value within a pixel of y.
bool NearCurve(double (*f)(double), double x, double y) {
    for (double o = -1; o <= 1; o += 0.25)
        if (std::abs(f(x + o * kDx) - y) <= kDy) return true;
    return false;
}

// Checks a common-X export of (red, blue) and returns how many values each graph had.
std::pair<int, int> ExpectTwoCurves(const std::string& csv) {
    const auto lines = Lines(csv);
    EXPECT_GE(lines.size(), 4u);
    if (lines.size() < 4) return {0, 0};
    EXPECT_EQ(lines[2], "X, Y_0, Y_1");
    int red = 0, blue = 0;
    for (size_t i = 3; i < lines.size(); ++i) {
        std::smatch m;
        const std::string& line = lines[i];
        if (!std::regex_match(line, m, std::regex("([^,]+), ([^,]*), ([^,]*)"))) {
            ADD_FAILURE() << "malformed row " << line;
            continue;
        }
        const double x = std::stod(m[1]);
        if (m[2].length()) {
            ++red;
            EXPECT_TRUE(NearCurve(sc::Red, x, std::stod(m[2]))) << line;
        }
        if (m[3].length()) {
            ++blue;
            EXPECT_TRUE(NearCurve(sc::Blue, x, std::stod(m[3]))) << line;
        }
    }
    return {red, blue};
}

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(CliDigitize, PointBandAndColourPicksGiveTheCurvesValues) {
    TempDir dir;
    const int bandLeft = int(sc::ColumnOf(5)) - 3, bandRight = bandLeft + 6;
    const std::string redBand = std::to_string(bandLeft) + "," + std::to_string(sc::kTop + 5) + "," +
                                std::to_string(bandRight) + "," + std::to_string(int(sc::RowOf(60)));
    const std::string blueBand = std::to_string(bandLeft) + "," + std::to_string(int(sc::RowOf(50))) + "," +
                                 std::to_string(bandRight) + "," + std::to_string(sc::kBottom - 5);
    const std::vector<std::vector<std::string>> ways = {
        {"--pick", kRedPoint, "--graph", "--pick=" + kBluePoint},
        {"--band", redBand, "--graph", "--band", blueBand},
        {"--colour", "red", "--graph", "--colour", "BLUE"},
        {"--curve", kRedPoint, "--graph", "--curve", kBluePoint},
    };
    std::string first;
    for (const auto& picks : ways) {
        const CliResult r = RunCli(Args(Args({"process", sc::kFile}, picks), {kXCal, kYCal}), dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto [red, blue] = ExpectTwoCurves(r.out);
        // Each curve spans about 370 columns; thinning trims a few at the ends.
        EXPECT_GT(red, 360) << picks[0];
        EXPECT_GT(blue, 360) << picks[0];
        if (first.empty()) first = r.out;
        EXPECT_EQ(r.out, first) << picks[0];
    }
}

TEST(CliDigitize, LogGoesToStandardErrorAndPatchListToStandardOutput) {
    TempDir dir;
    const CliResult r = RunCli({"process", sc::kFile, "--list-patches"}, dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.rfind("Successfully loaded image " + sc::kFile + "\nPerforming detections...\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("Grouping...\nProcessing complete!\n"), std::string::npos) << r.err;

    // A line a patch, in patch order; where the curves lie is the picks' test above.
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    const std::regex form(R"re(\{"index":(\d+),"box":\[(\d+),(\d+),(\d+),(\d+)\],"pixels":(\d+),"colour":"(\w+)","class":"#[0-9a-f]{6}"\})re");
    std::vector<std::string> colours;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, form)) << lines[i];
        EXPECT_EQ(std::stoul(m[1]), i);
        EXPECT_NEAR(std::stoi(m[2]), sc::kLeft + 3, 2) << lines[i];  // the box is the curve's
        colours.push_back(m[7]);
    }
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(colours, (std::vector<std::string>{"blue", "red"}));
}

const std::vector<std::string> kSetUp = {"--colour", "red", "--graph", "--colour", "blue", "--x", "60=0,440=10", "--y", "310=0,30=100"};

// The output file holds exactly what standard output would, from the run and from its project.
TEST(CliProject, ASavedRunExportsTheSameBytes) {
    TempDir dir;
    const CliResult run = RunCli(Args({"process", sc::kFile, "-o", dir / "direct.csv", "--save-project", dir / "p.plotsnap"}, kSetUp), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Data saved to file " + dir / "direct.csv" + " successfully\n"), std::string::npos) << run.err;
    const std::string direct = ReadFile(dir / "direct.csv");
    ASSERT_NE(direct.find("X, Y_0, Y_1"), std::string::npos) << direct;
    EXPECT_EQ(RunCli(Args({"process", sc::kFile}, kSetUp), dir).out, direct);

    const CliResult toFile = RunCli({"export", dir / "p.plotsnap", "-o", dir / "exported.csv"}, dir);
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(ReadFile(dir / "exported.csv"), direct);

    std::ofstream(dir / "cut.plotsnap") << ReadFile(dir / "p.plotsnap").substr(0, 500);
    const CliResult cut = RunCli({"export", dir / "cut.plotsnap"}, dir);
    EXPECT_EQ(cut.exitCode, 3);
    EXPECT_EQ(cut.err, "plotsnap-cli: The project file is cut short: it ends in the middle of the data.: " + dir / "cut.plotsnap" + "\n");
    // A folder that does not exist: nothing written, exit 1 with one line.
    const CliResult nowhere = RunCli({"export", dir / "p.plotsnap", "-o", dir / "missing/out.csv"}, dir);
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_EQ(nowhere.out, "");
    EXPECT_NE(nowhere.err.find("plotsnap-cli: Error opening file for writing data"), std::string::npos) << nowhere.err;
}

TEST(CliProject, ABatchWritesEveryReadablePictureAndNamesTheOthers) {
    TempDir dir;
    const cv::Mat chart = sc::Picture();
    ASSERT_TRUE(WritePpm(dir / "first.ppm", chart));
    ASSERT_EQ(RunCli(Args({"process", dir / "first.ppm", "-o", dir / "first-direct.csv", "--save-project", dir / "p.plotsnap"}, kSetUp), dir).exitCode, 0);
    // The same layout with the curves moved: the picks are found again by colour.
    cv::Mat moved;
    cv::warpAffine(chart, moved, cv::Mat_<double>({2, 3}, {1, 0, 0, 0, 1, 12}), chart.size(), cv::INTER_NEAREST,
                   cv::BORDER_CONSTANT, cv::Scalar::all(255));
    ASSERT_TRUE(WritePpm(dir / "moved.ppm", moved));
    std::ofstream(dir / "broken.ppm") << "this is not a picture\n";

    const CliResult r = RunCli({"process", dir / "first.ppm", dir / "broken.ppm", dir / "moved.ppm", "--project",
                                dir / "p.plotsnap", "-o", dir / "out", "-j", "2"}, dir);
    EXPECT_EQ(r.exitCode, 6) << r.err;
    EXPECT_EQ(ReadFile(dir / "out/first.csv"), ReadFile(dir / "first-direct.csv"));
    const std::string movedCsv = ReadFile(dir / "out/moved.csv");
    EXPECT_NE(movedCsv.find("X, Y_0, Y_1"), std::string::npos) << movedCsv;
    EXPECT_NE(movedCsv, ReadFile(dir / "out/first.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/broken.csv"));

    const std::vector<std::string> lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 5u) << r.err;
    int failures = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[i].rfind("[" + std::to_string(i + 1) + "/3] ", 0), 0u) << lines[i];
        if (lines[i].find(dir / "broken.ppm: FAILED: Can not read image file") != std::string::npos) ++failures;
        else EXPECT_NE(lines[i].find("2 patches -> " + dir / "out/"), std::string::npos) << lines[i];
    }
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(lines[3].rfind("Batch done: 2 of 3 pictures written to " + dir / "out" + ", 1 failed (", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4], "  failed: " + dir / "broken.ppm");
}

}  // namespace

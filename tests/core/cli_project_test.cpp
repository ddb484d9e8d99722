// Projects on the command line: a saved run exports the same bytes, and a batch
// applies one project to many pictures, skipping the ones it cannot read.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "cli_run.h"
#include "cli_sample_chart.h"

using namespace cli_test;

namespace {

const std::vector<std::string> kSetUp = {"--colour", "red", "--graph", "--colour", "blue", "--x", "60=0,440=10", "--y", "310=0,30=100"};

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The output file holds exactly what standard output would, from the run and from its project.
TEST(CliProject, ASavedRunExportsTheSameBytes) {
    TempDir dir;
    ASSERT_TRUE(WritePpm(dir / "chart.ppm", sample_chart::Draw()));
    const CliResult run = RunCli(Args({"process", dir / "chart.ppm", "-o", dir / "direct.csv", "--save-project", dir / "p.plotsnap"}, kSetUp), dir);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Data saved to file " + dir / "direct.csv" + " successfully\n"), std::string::npos) << run.err;
    const std::string direct = ReadFile(dir / "direct.csv");
    ASSERT_NE(direct.find("X, Y_0, Y_1"), std::string::npos) << direct;
    EXPECT_EQ(RunCli(Args({"process", dir / "chart.ppm"}, kSetUp), dir).out, direct);

    const CliResult toFile = RunCli({"export", dir / "p.plotsnap", "-o", dir / "exported.csv"}, dir);
    EXPECT_EQ(toFile.exitCode, 0) << toFile.err;
    EXPECT_EQ(ReadFile(dir / "exported.csv"), direct);
    const CliResult toStdout = RunCli({"export", dir / "p.plotsnap"}, dir);
    EXPECT_EQ(toStdout.out, direct);

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
    const cv::Mat chart = sample_chart::Draw();
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

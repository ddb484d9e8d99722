// plotsnap-cli's argument handling and exit codes: every bad command line is a
// usage error explained in one line (never a crash, never a half run), and the
// pictures it cannot use, or runs that pick nothing, end with their own codes.
#include <gtest/gtest.h>

#include "cli_run.h"
#include "cli_sample_chart.h"

using namespace cli_test;

namespace {

// The usage checks run before the picture is touched: this one does not exist.
const char* const kNoSuchImage = "/nonexistent/chart.png";

void ExpectUsageError(const std::vector<std::string>& args, const TempDir& dir) {
    std::string shown;
    for (const std::string& a : args) shown += " [" + a + "]";
    const CliResult r = RunCli(args, dir);
    EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.err;
    EXPECT_EQ(r.out, "") << shown;
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 2u) << shown << "\n" << r.err;
    EXPECT_EQ(lines[0].rfind("plotsnap-cli: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("usage: plotsnap-cli process IMAGE", 0), 0u) << lines[1];
}

}  // namespace

TEST(CliUsage, MalformedCommandLinesAreUsageErrors) {
    TempDir dir;
    // Each line: the options after "process IMAGE" (the first few stand alone).
    const std::vector<std::vector<std::string>> bad = {
        {}, {"digitize", kNoSuchImage}, {"process"}, {"process", kNoSuchImage, "second.png"},
        {"--frobnicate"}, {"--graph=2"}, {"--pick"}, {"--colour"}, {"--x"}, {"-o"}, {"-o", "--graph"},
        {"--pick", "a,b"}, {"--pick", "10"}, {"--pick", "10,20,30"}, {"--pick", "10.5,20"},
        {"--pick", "99999999999,1"}, {"--pick", "-2147483648,1"}, {"--pick", "10,"}, {"--threshold", "abc"},
        {"--threshold", "300"}, {"--min-patch-size", "-1"}, {"--grid-width", "100"}, {"--x", "10=0"},
        {"--x", "a=1,b=2"}, {"--x", "10=zero,20=1"}, {"--x", "-1=0,20=1"}, {"--y", "10=1,20"},
        {"--y", "10=1,20=1e999"}, {"--band", "10,10,5,20"}, {"--band", "10,20,30,5"},
        {"--plot-rect", "10,10,5,50"}, {"--plot-rect", "10,10,10,50"}, {"--colour", "purple"}, {"--colour", ""},
        {"--list-patches", "--pick", "1,1"}, {"-o", "out.csv", "--list-patches"},
    };
    for (size_t i = 0; i < bad.size(); ++i) {
        std::vector<std::string> args = bad[i];
        if (i >= 4) args.insert(args.begin(), {"process", kNoSuchImage});
        ExpectUsageError(args, dir);
    }
}

TEST(CliUsage, HelpListsEveryOptionOnStandardOutput) {
    TempDir dir;
    const CliResult r = RunCli({"--help"}, dir);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    for (const char* option :
         {"usage: plotsnap-cli process IMAGE", "--manual-threshold", "--threshold", "--min-patch-size", "--remove-grid",
          "--grid-width", "--plot-rect", "--list-patches", "--pick", "--band", "--colour", "--graph", "--x", "--y",
          "--log-x", "--log-y", "--default-scales", "--no-common-x", "--no-filter", "--no-bridge", "-o FILE"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(CliUsage, PicturesThatCannotBeReadExitWithThree) {
    TempDir dir;
    const std::string text = dir / "notes.png";
    std::ofstream(text) << "not a picture\n";
    // A bitmap header stating 20000 x 20000 pixels, far beyond what is opened.
    const std::string huge = dir / "huge.bmp";
    {
        std::string header(54, '\0');
        header[0] = 'B', header[1] = 'M';
        header[10] = 54, header[14] = 40;
        const int side = 20000;
        for (int i = 0; i < 4; ++i) header[18 + i] = header[22 + i] = char((side >> (8 * i)) & 0xff);
        header[26] = 1, header[28] = 24;
        std::ofstream(huge, std::ios::binary) << header;
    }
    for (const std::string& path : {std::string(dir / "missing.png"), text, huge}) {
        const CliResult r = RunCli({"process", path, "--colour", "red", "--default-scales"}, dir);
        EXPECT_EQ(r.exitCode, 3) << path << "\n" << r.err;
        EXPECT_EQ(r.out, "");
        const auto lines = Lines(r.err);
        ASSERT_EQ(lines.size(), 1u) << r.err;
        EXPECT_EQ(lines[0].rfind("plotsnap-cli: ", 0), 0u);
        EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
    }
    EXPECT_NE(RunCli({"process", huge}, dir).err.find("too large"), std::string::npos);
}

TEST(CliUsage, NothingPickedExitsWithFour) {
    TempDir dir;
    const std::string image = dir / "chart.ppm";
    ASSERT_TRUE(WritePpm(image, sample_chart::Draw()));
    const std::vector<std::vector<std::string>> idle = {
        {},                                          // no pick at all
        {"--pick", "5,5"},                           // outside the plot area
        {"--colour", "green", "--graph", "--colour", "yellow"},  // colours the chart does not hold
        {"--band", "100,100,100,100"},               // a band of no size touches nothing
    };
    for (const auto& picks : idle) {
        std::vector<std::string> args = {"process", image, "--default-scales"};
        args.insert(args.end(), picks.begin(), picks.end());
        const CliResult r = RunCli(args, dir);
        EXPECT_EQ(r.exitCode, 4) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("plotsnap-cli: nothing picked"), std::string::npos) << r.err;
    }
    // A pick that adds nothing is reported, the others still count.
    const CliResult partly = RunCli({"process", image, "--default-scales", "--pick", "5,5", "--colour", "red"}, dir);
    EXPECT_EQ(partly.exitCode, 0) << partly.err;
    EXPECT_NE(partly.err.find("--pick 5,5 added no patch\n"), std::string::npos) << partly.err;
}

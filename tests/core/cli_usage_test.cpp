// plotsnap-cli's exit codes: a bad command line is a usage error explained in one line,
// never a half run; pictures it cannot use, by the window's own reading path, and runs
// that pick nothing end with their own codes.
#include <gtest/gtest.h>

#include "cli_run.h"
#include "cli_sample_chart.h"
#include "support/builders.h"
#include <webp/encode.h>

#include <optional>

using namespace cli_test;

namespace {

// The usage checks run before the picture is touched: this one does not exist.
const char* const kNoSuchImage = "/nonexistent/chart.png";

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
    // Whole command lines whose reason is checked word for word.
    const std::vector<std::pair<std::vector<std::string>, std::string>> named = {
        {{"export"}, "no PROJECT given"},
        {{"export", "p", "q"}, "unexpected argument 'q' (one PROJECT only)"},
        {{"export", "p", "--colour", "red"}, "export takes only -o FILE and --default-scales, not --colour"},
        {{"process", "a.png", "b.png"}, "unexpected argument 'b.png' (one IMAGE only; several with --project)"},
        {{"process", "a.png", "--project", "p"}, "--project needs -o DIR, the folder the CSV files go to"},
        {{"process", "a.png", "--project", "p", "-o", "d", "--threshold", "9"},
         "--project takes the settings, plot rectangle, calibration and picks from the project; --threshold can not be added"},
        {{"process", "a.png", "-j", "2"}, "-j is for a batch (--project)"},
        {{"process", "a.png", "--project", "p", "-o", "d", "-j", "0"}, "-j needs a whole number from 1 to 256, not '0'"},
        {{"process", "a.png", "--list-patches", "--save-project", "p"},
         "--list-patches prints the patches only; it cannot be combined with --save-project"},
    };
    std::vector<std::pair<std::vector<std::string>, std::string>> all = named;
    for (size_t i = 0; i < bad.size(); ++i) {
        all.push_back({bad[i], ""});
        if (i >= 4) all.back().first.insert(all.back().first.begin(), {"process", kNoSuchImage});
    }
    for (const auto& [args, reason] : all) {
        std::string shown;
        for (const std::string& a : args) shown += " [" + a + "]";
        const CliResult r = RunCli(args, dir);
        EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.err;
        EXPECT_EQ(r.out, "") << shown;
        const auto lines = Lines(r.err);
        ASSERT_EQ(lines.size(), 2u) << shown << "\n" << r.err;
        EXPECT_EQ(lines[0].rfind("plotsnap-cli: " + reason, 0), 0u) << lines[0];
        if (!reason.empty()) { EXPECT_EQ(lines[0], "plotsnap-cli: " + reason); }
        EXPECT_EQ(lines[1].rfind("usage: plotsnap-cli process IMAGE", 0), 0u) << lines[1];
    }
    // --help lists the options on standard output.
    const CliResult help = RunCli({"--help"}, dir);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.err, "");
    for (const char* option :
         {"usage: plotsnap-cli process IMAGE", "--manual-threshold", "--threshold", "--min-patch-size", "--remove-grid",
          "--grid-width", "--plot-rect", "--list-patches", "--pick", "--band", "--colour", "--graph", "--x", "--y",
          "--log-x", "--log-y", "--default-scales", "--no-common-x", "--no-filter", "--no-bridge", "-o FILE"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST(CliRuns, EachOutcomeHasItsExitCodeAndSaysWhy) {
    TempDir dir;
    const std::string image = sample_chart::kFile, target = dir / "never.csv", x = "--x=60=0,440=10", y = "--y=310=0,30=100";
    const std::string none = "plotsnap-cli: nothing picked", refused = "plotsnap-cli: calibration refused: ";
    const std::vector<std::pair<std::vector<std::string>, std::pair<int, std::string>>> cases = {  // after process: exit, in standard error
        // Nothing picked: no pick, outside the plot area, colours the chart does not hold, a band of no size.
        {{image, "--default-scales"}, {4, none}},
        {{image, "--default-scales", "--pick", "5,5"}, {4, none}},
        {{image, "--default-scales", "--colour", "green", "--graph", "--colour", "yellow"}, {4, none}},
        {{image, "--default-scales", "--band", "100,100,100,100"}, {4, none}},
        {{image, "--min-patch-size", "100000", "--colour", "red", x, y}, {4, none}},  // every patch below the minimum
        {{image, "--default-scales", "--pick", "5,5", "--colour", "red"}, {0, "--pick 5,5 added no patch\n"}},  // the others count
        {{image, "--list-patches", "--manual-threshold", "--threshold", "128", "--remove-grid", "--grid-width", "1"},
         {0, "Manual thresholding (128)...Removing grid...\n"}},
        // Where patches and values go in a rectangle or with default scales is the pass's and the export's test.
        {{image, "--list-patches", "--plot-rect", "62,32,250,308"}, {0, "top left =62,32; bottom right=250,308\n"}},
        {{image, "--colour", "blue", "--default-scales", y}, {0, "X and/or Y scales are not set, use default values? Yes (--default-scales)\n"}},
        // Colours: the six reference colours learn no classes; a colour in hex takes the class nearest it.
        {{image, "--list-patches", "--reference-colours"}, {0, "Performing color detections\nGrouping"}},
        {{image, "--colour", "#dc1414", "--graph", "--colour=#0000FF", x, y}, {0, "--colour #dc1414 takes the class #"}},
        {{image, "--color", "Red", "--reference-colours", x, y}, {0, "Graph-0: 1 patch"}},
        // Calibration is checked before anything is written; which calibrations are refused is the export's test.
        {{image, "--colour", "red", "-o", target, y}, {5, refused}},
        {{image, "--colour", "red", "-o", target, x, y, "--log-x"}, {5, refused}},
        // No frame and no labels; --x given, so only Y is read.
        {{PLOTSNAP_SOURCE_DIR "/tests/data/small.png", "--auto-calibrate", "--x", "0=0,5=1", "--pick", "1,1"},
         {5, "plotsnap-cli: calibration from tick labels failed: Y axis: "}},
        // A rectangle wholly outside the picture is a usage error, not an empty result.
        {{image, "--plot-rect", "5000,5000,6000,6000", "--list-patches"}, {2, "lies outside the 480 x 360 picture"}},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> all = {"process"};
        all.insert(all.end(), args.begin(), args.end());
        const CliResult r = RunCli(all, dir);
        SCOPED_TRACE(expected.second);
        EXPECT_EQ(r.exitCode, expected.first) << r.err;
        EXPECT_NE(r.err.find(expected.second), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("X axis"), std::string::npos) << r.err;
        if (expected.first != 0) { EXPECT_EQ(r.out, ""); }
    }
    EXPECT_FALSE(std::filesystem::exists(target));
}

namespace {
// OS/2 bitmap: 12-byte header with 16-bit sizes, 24 bits per pixel, all red.
std::string Os2Bmp(unsigned w, unsigned h) {
    std::string row;
    for (unsigned x = 0; x < w; ++x) row += std::string("\x00\x00\xFF", 3);
    row.resize((row.size() + 3) / 4 * 4, '\0');
    std::string pixels;
    for (unsigned y = 0; y < h; ++y) pixels += row;
    return "BM" + Le32(26 + unsigned(pixels.size())) + Le32(0) + Le32(26) + Le32(12) + Le16(w) + Le16(h) + Le16(1) +
           Le16(24) + pixels;
}

std::string RedWebP(int w, int h) {
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 255;
    uint8_t* out = nullptr;
    const size_t n = WebPEncodeLosslessRGB(rgb.data(), w, h, w * 3, &out);
    std::string bytes(reinterpret_cast<char*>(out), n);
    WebPFree(out);
    return bytes;
}
}  // namespace

TEST(OddFiles, RefusedWithTheirReasonOrRead) {
    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // none: the file does not exist
        int exitCode;
        const char* says;  // in standard error, or standard output for a read picture
    };
    const Case cases[] = {
        {"missing.png", std::nullopt, 3, "missing.png"},
        {"notes.png", "not a picture\n", 3, "Can not read image file"},
        // Sides whose product overflows any integer.
        {"huge.png",
         std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + "\xff\xff\xff\xff\xff\xff\x1b\xa7" +
             std::string("\x08\x02\0\0\0", 5),
         3, "too large to open (4294967295 x 4294908839 pixels"},
        {"os2.bmp", Os2Bmp(30, 20), 0, "\"pixels\":600,\"colour\":\"red\""},
        {"zero width.bmp", Os2Bmp(0, 20), 3, "Image is empty"},
        {"red.webp", RedWebP(40, 10), 0, "\"pixels\":400,\"colour\":\"red\""},
        // Mutated pictures are the picture fuzz target's work (fuzz/); these two are known to crash
        // the toolkit's GIF and TGA decoders, and the probe in a child process must contain them.
        {"damaged-lzw.gif", ReadFile(PLOTSNAP_SOURCE_DIR "/tests/data/damaged-lzw.gif"), 3, "Can not read image file"},
        {"damaged-colour-map.tga", ReadFile(PLOTSNAP_SOURCE_DIR "/tests/data/damaged-colour-map.tga"), 3,
         "Can not read image file"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / c.name;
        if (c.bytes) std::ofstream(path, std::ios::binary) << *c.bytes;
        const CliResult r = RunCli({"process", path, "--list-patches"}, dir);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE((r.exitCode == 0 ? r.out : r.err).find(c.says), std::string::npos) << r.err << r.out;
        if (c.exitCode == 0) continue;
        // One line naming the file; nothing on standard output.
        EXPECT_EQ(r.out, "");
        const auto lines = Lines(r.err);
        ASSERT_EQ(lines.size(), 1u) << r.err;
        EXPECT_EQ(lines[0].rfind("plotsnap-cli: ", 0), 0u);
        EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
    }
}

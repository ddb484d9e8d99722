// Odd and damaged picture files are refused with a reason, never a crash, and never
// decoded when their header already tells: the same reading path as the window's Open.
#include <gtest/gtest.h>

#include <webp/encode.h>

#include "cli_run.h"

using namespace cli_test;

namespace {
std::string Le16(unsigned v) { return {char(v & 255), char(v >> 8 & 255)}; }
std::string Le32(unsigned v) { return Le16(v & 0xFFFF) + Le16(v >> 16); }

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
        std::string bytes;
        int exitCode;
        const char* says;  // in standard error, or standard output for a read picture
    };
    const std::string gifBomb = "GIF89a" + Le16(120) + Le16(90) + std::string("\x80\0\0\0\0\0\xFF\xFF\xFF", 9) +
                                "\x2C" + Le32(0) + Le16(11488) + Le16(57644) + std::string("\0\x02\x02\x4C\x01\0;", 7);
    const Case cases[] = {
        {"frame bomb.gif", gifBomb, 3, "too large to open (11488 x 57644 pixels"},
        {"os2.bmp", Os2Bmp(30, 20), 0, "\"pixels\":600,\"colour\":\"red\""},
        {"zero width.bmp", Os2Bmp(0, 20), 3, "Image is empty"},
        {"red.webp", RedWebP(40, 10), 0, "\"pixels\":400,\"colour\":\"red\""},
        {"icon.xpm", "/* XPM */\nstatic const char* i[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n", 3,
         "Can not read image file"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir / c.name;
        std::ofstream(path, std::ios::binary) << c.bytes;
        const CliResult r = RunCli({"process", path, "--list-patches"}, dir);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
        EXPECT_NE((r.exitCode == 0 ? r.out : r.err).find(c.says), std::string::npos) << c.name << ": " << r.err << r.out;
    }
    // A rectangle wholly outside the picture is a usage error, not an empty result.
    const CliResult r = RunCli({"process", dir / "os2.bmp", "--plot-rect", "5000,5000,6000,6000", "--list-patches"}, dir);
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_NE(r.err.find("lies outside the 30 x 20 picture"), std::string::npos) << r.err;
}

// Mutated pictures are the picture fuzz target's work (fuzz/); this one is known to crash
// the toolkit's GIF decoder, and the probe in a child process must contain it.
TEST(OddFiles, AGifThatCrashesTheToolkitDecoderIsRefused) {
    TempDir dir;
    const CliResult r =
        RunCli({"process", std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/damaged-lzw.gif", "--list-patches"}, dir);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("Can not read image file"), std::string::npos) << r.err;
}

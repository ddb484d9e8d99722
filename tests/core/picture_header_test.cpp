// Picture sizes read from crafted file headers, before any decoder runs, and the
// rules for values from the configuration file and the command line.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "app/image_header.h"
#include "app/input_rules.h"
#include "support/builders.h"

namespace {

std::string Be16(unsigned v) { return {char(v >> 8 & 255), char(v & 255)}; }
std::string Be32(unsigned v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }
std::string Zeros(size_t n) { return std::string(n, '\0'); }
std::string Bmp(unsigned headerSize, const std::string& sizes) {
    return "BM" + Le32(0) + Le32(0) + Le32(26) + Le32(headerSize) + sizes + Zeros(32);
}
// Little-endian TIFF: one directory per size, chained; `next` of the last one given.
std::string Tiff(std::vector<std::pair<unsigned, unsigned>> sizes, unsigned lastNext = 0) {
    std::string t = "II*" + Zeros(1) + Le32(8);
    for (size_t i = 0; i < sizes.size(); ++i) {
        t += Le16(2) + Le16(256) + Le16(3) + Le32(1) + Le32(sizes[i].first) + Le16(257) + Le16(4) + Le32(1) +
             Le32(sizes[i].second);
        t += Le32(i + 1 < sizes.size() ? unsigned(t.size() + 4) : lastNext);
    }
    return t;
}
std::string WebP(const std::string& chunk, const std::string& data) {
    return "RIFF" + Le32(40) + "WEBP" + chunk + Le32(unsigned(data.size())) + data + Zeros(8);
}

struct Expect {
    PictureFormat format;
    long long width, height;
    int frames;
    long long decodedPixels;
};

}  // namespace

TEST(PictureHeader, SizesFromCraftedFiles) {
    const long long kBomb = 11488LL * 57644;
    const std::tuple<const char*, std::string, std::optional<Expect>> cases[] = {  // name, bytes, what is read
        {"png", std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(640) + Be32(480), Expect{PictureFormat::Png, 640, 480, 1, 307200}},
        {"gif frame bomb behind a small screen", Gif(GifFrame(11488, 57644) + ";"), Expect{PictureFormat::Gif, 11488, 57644, 1, kBomb}},
        {"gif: extensions skipped, every frame counted, largest kept",
         Gif(std::string("\x21\xF9\x04", 3) + Zeros(4) + Zeros(1) + GifFrame(10, 10) + GifFrame(300, 20) + GifFrame(5, 5) + ";"),
         Expect{PictureFormat::Gif, 300, 20, 3, 6125}},
        {"gif cut short after a frame", Gif(GifFrame(40, 30)).substr(0, 35), Expect{PictureFormat::Gif, 40, 30, 1, 1200}},
        {"gif without frames", Gif(";"), std::nullopt},
        {"os/2 bmp: 16-bit sizes", Bmp(12, Le16(300) + Le16(200) + Le16(1) + Le16(24)), Expect{PictureFormat::Bmp, 300, 200, 1, 60000}},
        {"windows bmp, top-down", Bmp(40, Le32(300) + Le32(unsigned(-200))), Expect{PictureFormat::Bmp, 300, 200, 1, 60000}},
        {"jpeg: app segment, then start of frame",
         std::string("\xFF\xD8\xFF\xE0", 4) + Be16(4) + Zeros(2) + "\xFF\xC0" + Be16(11) + "\x08" + Be16(70) + Be16(90),
         Expect{PictureFormat::Jpeg, 90, 70, 1, 6300}},
        {"tiff with two directories", Tiff({{64, 32}, {8, 8}}), Expect{PictureFormat::Tiff, 64, 32, 2, 2048}},
        {"tiff whose chain loops", Tiff({{64, 32}, {8, 8}}, 8), Expect{PictureFormat::Tiff, 64, 32, 2, 2048}},
        {"bigtiff", std::string("II+\0\x08\0\0\0", 8) + Le32(16) + Le32(0) + Le32(1) + Le32(0) + Le16(256) + Le16(4) +
                        Le32(1) + Le32(0) + Le32(70000) + Le32(0) + Zeros(8),
         Expect{PictureFormat::Tiff, 70000, 0, 1, 0}},
        {"pnm with a comment", "P6\n# made by hand\n 1234\t567\n255\n", Expect{PictureFormat::Pnm, 1234, 567, 1, 1234LL * 567}},
        {"pbm has no sample value", "P4 8 2\n", Expect{PictureFormat::Pnm, 8, 2, 1, 16}},
        {"pnm without numbers", "P3\n# nothing\n", std::nullopt},
        {"pnm whose largest sample is not a number", "P6\n2 2\n)55\n", std::nullopt},  // the decoder divides by it
        {"pnm whose largest sample is 0", "P5 2 2 0\n", std::nullopt},
        {"pnm fields not apart", "P2\n3 1;255\n0 128 255\n", std::nullopt},
        {"pcx: inclusive box", std::string("\x0A\x05\x01\x08", 4) + Le16(10) + Le16(20) + Le16(109) + Le16(69) + Zeros(120),
         Expect{PictureFormat::Pcx, 100, 50, 1, 5000}},
        {"tga", std::string("\x00\x00\x02", 3) + Zeros(9) + Le16(65535) + Le16(65535) + "\x18" + Zeros(1),
         Expect{PictureFormat::Tga, 65535, 65535, 1, 65535LL * 65535}},
        {"webp lossy", WebP("VP8 ", Zeros(3) + "\x9D\x01\x2A" + Le16(16383) + Le16(800)), Expect{PictureFormat::WebP, 16383, 800, 1, 16383LL * 800}},
        {"webp lossless", WebP("VP8L", "\x2F" + Le32((99u << 14) | 199u)), Expect{PictureFormat::WebP, 200, 100, 1, 20000}},
        {"webp extended", WebP("VP8X", Zeros(4) + std::string("\xFF\x3F\x00\x0F\x00\x00", 6)), Expect{PictureFormat::WebP, 16384, 16, 1, 262144}},
        {"xpm is not opened", "/* XPM */\nstatic char* x[] = {\"1 1 1 1\"};", std::nullopt},
        {"too short", "GIF8", std::nullopt},
    };
    for (const auto& [name, bytes, expect] : cases) {
        std::istringstream in(bytes);
        const auto got = ReadImageHeader(in);
        ASSERT_EQ(got.has_value(), expect.has_value()) << name;
        if (!got) continue;
        EXPECT_EQ(std::make_tuple(int(got->format), got->width, got->height, got->frames, got->decodedPixels),
                  std::make_tuple(int(expect->format), expect->width, expect->height, expect->frames,
                                  expect->decodedPixels)) << name;
    }
}

TEST(PictureHeader, SizeVerdicts) {
    // width, height, pixels decoded, verdict
    const std::tuple<long long, long long, long long, SizeVerdict> cases[] = {
        {0, 90, 0, SizeVerdict::Empty},          {300, 0, 0, SizeVerdict::Empty},
        {10000, 10000, 100000000, SizeVerdict::Ok}, {10000, 10001, 100010000, SizeVerdict::TooLarge},
        {1LL << 40, 1, 1LL << 40, SizeVerdict::TooLarge},
        {5000, 5000, 150000000, SizeVerdict::TooLarge}};  // frames that fit one by one, not together
    for (const auto& [width, height, pixels, verdict] : cases)
        EXPECT_EQ(CheckImageSize({PictureFormat::Gif, width, height, 2, pixels}), verdict) << width << " x " << height;
}

TEST(InputRules, StoredPreferencesAreClamped) {
    struct Case {
        long minPatch, filtering, threshold;
        int wantMinPatch, wantFiltering, wantThreshold;
    };
    const Case cases[] = {{-5, 1, 160, 0, 1, 160},  {7, 0, -1, 7, 0, 0},
                          {3, 2, 256, 3, 1, 255},   {-9999999999L, -3, 9999999999L, 0, 1, 255},
                          {9999999999L, 1, 0, 2147483647, 1, 0}};
    for (const Case& c : cases) {
        Preferences p;
        p.minPatchSize = StoredInt(c.minPatch);
        p.lineFiltering = StoredInt(c.filtering);
        p.threshold = StoredInt(c.threshold);
        const Preferences q = ClampPreferences(p);
        EXPECT_EQ(std::tie(q.minPatchSize, q.lineFiltering, q.threshold),
                  std::tie(c.wantMinPatch, c.wantFiltering, c.wantThreshold)) << c.minPatch << " " << c.threshold;
    }
}

TEST(InputRules, PlotRectMustReachIntoThePicture) {
    const std::pair<IRect, bool> cases[] = {{{0, 0, 300, 200}, true},          {{299, 199, 6000, 6000}, true},
                                            {{5000, 5000, 6000, 6000}, false}, {{300, 0, 400, 200}, false},
                                            {{0, 200, 300, 250}, false},       {{10, 10, 10, 50}, false}};
    for (const auto& [rect, ok] : cases) EXPECT_EQ(PlotRectProblem(rect, 300, 200).empty(), ok) << rect.left;
    EXPECT_EQ(PlotRectProblem({5000, 5000, 6000, 6000}, 300, 200),
              "the plot rectangle 5000,5000,6000,6000 lies outside the 300 x 200 picture");
}

// A damaged picture file is refused, never a crash: mutated copies of small files in
// every common format go through the same reading path as the window's Open.
#include <gtest/gtest.h>

#include <random>

#include "cli_run.h"

using namespace cli_test;

TEST(DamagedFiles, AreRefusedOrReadButNeverCrash) {
    TempDir dir;
    std::mt19937 rng(20261206);
    int refused = 0, read = 0;
    for (const char* ext : {"png", "jpg", "bmp", "gif", "tif"}) {
        const std::string seed = ReadFile(std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/small." + ext);
        ASSERT_FALSE(seed.empty()) << ext;
        for (int i = 0; i < 24; ++i) {
            std::string bytes = seed;
            // Damage the headers most of the time, anywhere now and then; sometimes cut the file short.
            const int flips = 1 << (rng() % 5);
            for (int k = 0; k < flips; ++k) {
                const size_t span = rng() % 4 ? std::min<size_t>(bytes.size(), 400) : bytes.size();
                bytes[rng() % span] = char(rng() % 256);
            }
            if (rng() % 5 == 0) bytes.resize(1 + rng() % bytes.size());
            const std::string path = dir / (std::string("case.") + ext);
            std::ofstream(path, std::ios::binary) << bytes;
            const CliResult r = RunCli({"process", path, "--list-patches"}, dir);
            ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 3)
                << ext << " case " << i << " ended with " << r.exitCode << ": " << r.err;
            (r.exitCode == 0 ? read : refused) += 1;
        }
    }
    // Both outcomes occur, so the mutations really reach the decoders.
    EXPECT_GT(refused, 0);
    EXPECT_GT(read, 0);
}

TEST(DamagedFiles, AGifThatCrashesTheToolkitDecoderIsRefused) {
    TempDir dir;
    const CliResult r =
        RunCli({"process", std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/damaged-lzw.gif", "--list-patches"}, dir);
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_NE(r.err.find("Can not read image file"), std::string::npos) << r.err;
}

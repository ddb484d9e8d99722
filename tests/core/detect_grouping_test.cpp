// Grouping of classified ink into patches: retention, areas, the long-run question,
// and agreement with the plain ordered-map version on random scenes.
#include "detect/colour.h"
#include "detect/grouping.h"
#include "reference/detect_reference.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>
#include <string>
#include <vector>

namespace {

// A class image, its labels and its map drawn from text: '.' is no ink, k r g b
// m y the six reference colours.
struct Scene {
    cv::Mat classImage;
    cv::Mat labels;
    cv::Mat binary;
    PlotArea area;
};

cv::Vec3b Reference(char c) {
    const std::string keys = "krgbmy";
    return kReferenceColours[keys.find(c)];
}

Scene Draw(const std::vector<std::string>& rows) {
    Scene s;
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    s.classImage = cv::Mat(h, w, CV_8UC3, cv::Scalar(255, 128, 128));
    s.binary = cv::Mat(h, w, CV_8UC1, cv::Scalar(255));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rows[y][x] != '.') {
                s.classImage.at<cv::Vec3b>(y, x) = Reference(rows[y][x]);
                s.binary.at<uchar>(y, x) = 0;
            }
    s.area = {0, 0, w, h};
    s.labels = ref::LabelsOf(s.classImage);
    return s;
}

// Built from the class image itself, the map colour is the class colour reversed.
PatchList Group(const Scene& s, unsigned minPatchSize, const AbortQuestion& ask = {}) {
    DetectionMap map = BuildDetectionMap(s.binary, s.classImage, s.area);
    PatchList patches;
    GroupPatches(map, patches, s.area.left, s.area.top, s.area.right, s.area.bottom, s.labels, minPatchSize, ask);
    EXPECT_TRUE(map.empty());
    return patches;
}

PatchList GroupByReference(const Scene& s, unsigned minPatchSize) {
    ref::DetectionMap map = ref::BuildDetectionMap(s.binary, s.classImage, s.area);
    PatchList patches;
    ref::GroupPatches(map, patches, s.area.left, s.area.top, s.area.right, s.area.bottom, s.classImage,
                      minPatchSize, {});
    return patches;
}

}  // namespace

TEST(Grouping, RetentionEarlierPatchesAndAreas) {
    struct Case {
        const char* what;
        std::vector<std::string> rows;
        unsigned minPatchSize;
        size_t count;
        size_t pixels;       // in the first patch; 0: not checked
        PatchList expected;  // empty: not checked
        PlotArea mapArea{}, groupArea{};  // left -1: the whole scene
        PatchList before{};
        cv::Point unclass{-1, -1};  // a pixel whose label is taken away after the map is built
    };
    const std::vector<std::string> tall(50, "..k..");
    const std::vector<Case> cases = {
        // Connectivity, colour separation, run order and offset areas are left to the comparison with
        // the plain version below. Retention counts runs or heights, up to and including the minimum.
        {"one run 49 high, minimum 50", tall, 50, 0, 0, {}},
        {"a dot, minimum 1", {"...", ".y.", "..."}, 1, 1, 1, {}},
        {"30 runs, minimum 30", {std::string(30, 'r')}, 30, 1, 30, {}},
        {"an empty map keeps the previous patches", {"....", "...."}, 0, 1, 0, {{{1, 2, 3}}}, {}, {}, {{{1, 2, 3}}}},
        {"areas reaching past the class image are cut to it", {"r..g", "r.gg", "...."}, 0, 2, 0,
         {{{0, 0, 1}}, {{1, 2, 1}, {0, 3, 1}}}, {}, {-5, -3, 1000000, 1000000}},
        // An entry below the grouping area, and one whose pixel lost its class, are
        // dropped instead of reading outside or starting an empty patch.
        {"entries that cannot be filled start no patch", {"rr..", "....", "..g.", "k..."}, 0, 1, 0,
         {{{0, 0, 0}, {0, 1, 0}}}, {}, {0, 0, 4, 3}, {}, {2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Scene s = Draw(c.rows);
        const PlotArea m = c.mapArea.left == -1 ? s.area : c.mapArea, g = c.groupArea.left == -1 ? m : c.groupArea;
        DetectionMap map = BuildDetectionMap(s.binary, s.classImage, m);
        cv::Mat labels = s.labels.clone();
        if (c.unclass.x >= 0) labels.at<uchar>(c.unclass) = 0;
        PatchList p = c.before;
        GroupPatches(map, p, g.left, g.top, g.right, g.bottom, labels, c.minPatchSize, {});
        EXPECT_TRUE(map.empty());
        ASSERT_EQ(p.size(), c.count);
        if (!c.expected.empty()) {
            EXPECT_EQ(p, c.expected);
        }
        if (c.pixels == 0) continue;
        size_t pixels = 0;
        for (const ::Run& r : p[0]) pixels += size_t(r.row2 - r.row1 + 1);
        EXPECT_EQ(pixels, c.pixels);
    }
}

namespace {
// A red column followed by a black block large enough to reach the question.
Scene LongScene() {
    Scene s;
    const int h = 2100, w = 1000;
    s.classImage = cv::Mat(h, w, CV_8UC3, cv::Scalar(255, 128, 128));
    s.binary = cv::Mat(h, w, CV_8UC1, cv::Scalar(255));
    s.classImage.col(0).setTo(cv::Scalar(136, 208, 195));
    s.binary.col(0).setTo(0);
    s.classImage.colRange(2, w).setTo(cv::Scalar(0, 128, 128));
    s.binary.colRange(2, w).setTo(0);
    s.area = {0, 0, w, h};
    s.labels = ref::LabelsOf(s.classImage);
    return s;
}
}  // namespace

TEST(Grouping, TheLongRunQuestionIsAskedOnce) {
    const Scene s = LongScene();
    for (const bool abort : {true, false}) {
        SCOPED_TRACE(abort ? "abort" : "go on");
        int asked = 0;
        const PatchList p = Group(s, 3, [&] { ++asked; return abort; });
        EXPECT_EQ(asked, 1);
        ASSERT_EQ(p.size(), 2u);
        EXPECT_EQ(p[0], (Patch{{0, 0, 2099}}));
        // Aborted, the block fills column by column; the column being walked when the
        // 2,000,000th pixel came is dropped.
        const size_t complete = abort ? (kAskAfterPixels - 2100) / 2100 : 998;
        ASSERT_EQ(p[1].size(), complete);
        for (size_t i = 0; i < complete; ++i) EXPECT_EQ(p[1][i], (::Run{0, int(2 + i), 2099}));
    }
    // The unfinished patch goes through the same retention as any other.
    int asked = 0;
    EXPECT_TRUE(Group(s, 4000000, [&] { ++asked; return true; }).empty());
    EXPECT_EQ(asked, 1);
}

namespace {
// Random blobs and strokes in a few colours over a random class image: pixels
// outside the map may hold any colour too, and those of the fill's colour are
// painted like the rest.
Scene RandomScene(std::mt19937& rng, int h, int w, int colourCount) {
    const std::vector<cv::Vec3b> palette(kReferenceColours.begin(), kReferenceColours.begin() + colourCount);
    Scene s;
    s.classImage = cv::Mat(h, w, CV_8UC3, cv::Scalar(255, 128, 128));
    s.binary = cv::Mat(h, w, CV_8UC1, cv::Scalar(255));
    std::uniform_int_distribution<int> pick(0, colourCount - 1), px(0, w - 1), py(0, h - 1);
    for (int i = 0; i < w * h / 30; ++i) {
        const cv::Vec3b c = palette[static_cast<size_t>(pick(rng))];
        const cv::Point a(px(rng), py(rng)), b(px(rng), py(rng));
        if (rng() % 3 == 0)
            cv::line(s.classImage, a, b, cv::Scalar(c[0], c[1], c[2]), 1 + int(rng() % 2));
        else
            cv::circle(s.classImage, a, int(rng() % 4), cv::Scalar(c[0], c[1], c[2]), cv::FILLED);
    }
    // Most coloured pixels are ink; a few are left out of the map.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (s.classImage.at<cv::Vec3b>(y, x) != cv::Vec3b(255, 128, 128) && rng() % 10 != 0)
                s.binary.at<uchar>(y, x) = 0;
    const int left = int(rng() % 5), top = int(rng() % 5);
    s.area = {left, top, w - int(rng() % 5), h - int(rng() % 5)};
    s.labels = ref::LabelsOf(s.classImage);
    return s;
}
}  // namespace

TEST(Grouping, MatchesThePlainVersionOnRandomScenes) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 16; ++round) {
        const int h = 17 + int(rng() % 90), w = 13 + int(rng() % 110);  // odd sizes
        const Scene s = RandomScene(rng, h, w, 2 + round % 5);
        for (unsigned minSize : {0u, 3u, 8u}) {
            SCOPED_TRACE("round " + std::to_string(round) + " min " + std::to_string(minSize));
            EXPECT_EQ(Group(s, minSize), GroupByReference(s, minSize));
        }
        // Labels seen through a view into a larger image give the same result.
        cv::Mat big(s.labels.rows + 9, s.labels.cols + 11, CV_8UC1, cv::Scalar(1));
        const cv::Rect where(5, 4, s.labels.cols, s.labels.rows);
        s.labels.copyTo(big(where));
        Scene view = s;
        view.labels = big(where);
        EXPECT_EQ(Group(view, 2), Group(s, 2)) << round;
    }
}

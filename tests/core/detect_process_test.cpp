// The processing pass: its log word for word in each threshold mode, the user's
// rectangle, empty areas, repeat passes, bad pictures, and agreement with the
// pass built from the plain reference pieces on generated charts.
#include "detect/process.h"
#include "reference/detect_reference.h"
#include "support/charts.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <string>

namespace {

const PlotArea kNoRect{-1, -1, -1, -1};

// White 400 x 300 with a black 10 x 20 block: no frame, 200 ink pixels.
cv::Mat BlockPicture() {
    cv::Mat image(300, 400, CV_8UC3, cv::Scalar(255, 255, 255));
    image(cv::Rect(50, 60, 10, 20)).setTo(cv::Scalar(0, 0, 0));
    return image;
}

struct Pass {
    bool ran = false;
    bool inkFound = false;
    std::string log;
    PatchList patches;
    PlotArea area;
    std::vector<double> levels;
    int asked = 0;
};

Pass Process(const cv::Mat& image, const ProcessSettings& settings, const PlotArea& rect = kNoRect,
             bool answer = true) {
    Pass p;
    StringLog log;
    ProcessResult r = RunProcessing(image, settings, rect, log, [&] {
        ++p.asked;
        return answer;
    });
    p.ran = r.ran;
    p.inkFound = r.inkFound;
    p.patches = std::move(r.patches);
    p.area = r.plotArea;
    p.levels = r.channelThresholds;
    p.log = log.Text();
    return p;
}

}  // namespace

TEST(Processing, AutomaticPassLogsEachStage) {
    const Pass p = Process(BlockPicture(), {});
    EXPECT_TRUE(p.ran);
    EXPECT_EQ(p.log,
              "Performing detections...\n"
              "Detecting graph axis...\n"
              "Number of detections (map): 200 (0.2%)\n"
              "top left =0,0; bottom right=400,300\n"
              "Performing color detections\n"
              "Grouping...\n");
    EXPECT_EQ(p.area, (PlotArea{0, 0, 400, 300}));
    ASSERT_EQ(p.patches.size(), 1u);
    EXPECT_EQ(p.patches[0].size(), 10u);
    EXPECT_EQ(p.patches[0][0], (::Run{60, 50, 79}));
    EXPECT_EQ(p.levels.size(), 3u);
}

TEST(Processing, ManualModeContinuesItsLineWithTheNextMessage) {
    ProcessSettings s;
    s.manualThreshold = true;
    s.threshold = 128;
    s.removeGrid = true;
    const Pass p = Process(BlockPicture(), s);
    EXPECT_EQ(p.log,
              "Performing detections...\n"
              "Detecting graph axis...\n"
              "Manual thresholding (128)...Removing grid...\n"
              "Degridding...\n"
              "Number of detections (map): 200 (0.2%)\n"
              "top left =0,0; bottom right=400,300\n"
              "Performing color detections\n"
              "Grouping...\n");
}

TEST(Processing, HeavyInkOverridesWithTheFixedThreshold) {
    // Dark grey over the left half: half the area is ink under the channel levels.
    cv::Mat image(100, 200, CV_8UC3, cv::Scalar(255, 255, 255));
    image.colRange(0, 100).setTo(cv::Scalar(150, 150, 150));
    ProcessSettings s;
    s.threshold = 140;  // the grey threshold then finds no ink at all
    const Pass p = Process(image, s);
    EXPECT_EQ(p.log,
              "Performing detections...\n"
              "Detecting graph axis...\n"
              "Overriding with manual threshold value (140)\n"
              "Number of detections (map): 0 (0.0%)\n"
              "top left =0,0; bottom right=200,100\n"
              "Performing color detections\n"
              "Grouping...\n");
    // Just under 15% ink keeps the channel levels: 29 grey squares, too small to
    // look like frame lines.
    cv::Mat light(100, 200, CV_8UC3, cv::Scalar(255, 255, 255));
    for (int i = 0; i < 29; ++i)
        light(cv::Rect(5 + 20 * (i % 9), 5 + 25 * (i / 9), 10, 10)).setTo(cv::Scalar(150, 150, 150));
    const Pass q = Process(light, s);
    EXPECT_EQ(q.log.find("Overriding"), std::string::npos);
    EXPECT_NE(q.log.find("Number of detections (map): 2900 (14.5%)\n"), std::string::npos);
}

TEST(Processing, UserRectangleIsCutAtTheImagesFarEdges) {
    const Pass p = Process(BlockPicture(), {}, {52, 70, 1000, 900});
    EXPECT_EQ(p.area, (PlotArea{52, 70, 400, 300}));
    EXPECT_NE(p.log.find("Number of detections (map): 80 (0.1%)\ntop left =52,70; bottom right=400,300\n"),
              std::string::npos);
    ASSERT_EQ(p.patches.size(), 1u);
    EXPECT_EQ(p.patches[0][0], (::Run{70, 52, 79}));
    // A drawn rectangle is cut to the image.
    EXPECT_EQ(Process(BlockPicture(), {}, {52, 70, 1000, 900}).area, (PlotArea{52, 70, 400, 300}));
}

TEST(Processing, EmptyAreasReportNoInk) {
    // No columns.
    Pass p = Process(BlockPicture(), {}, {55, 10, 55, 200});
    EXPECT_FALSE(p.inkFound);
    EXPECT_TRUE(p.patches.empty());
    EXPECT_NE(p.log.find("Number of detections (map): 0 (0.0%)\ntop left =55,10; bottom right=55,200\n"),
              std::string::npos);
    // Wholly right of the image: after the cut right < left.
    p = Process(BlockPicture(), {}, {500, 10, 600, 200});
    EXPECT_EQ(p.area, (PlotArea{500, 10, 400, 200}));
    EXPECT_FALSE(p.inkFound);
    EXPECT_NE(p.log.find("Number of detections (map): 0 (0.0%)\ntop left =500,10; bottom right=400,200\n"),
              std::string::npos);
    // Starting left of and above the image: the outside part holds no ink.
    p = Process(BlockPicture(), {}, {-100, -50, 100, 100});
    EXPECT_NE(p.log.find("Number of detections (map): 200 (0.7%)\n"), std::string::npos);
    EXPECT_TRUE(p.inkFound);
    EXPECT_EQ(p.patches.size(), 1u);
}

TEST(Processing, PercentageUsesThirtyTwoBitCountAndSinglePrecision) {
    EXPECT_EQ(DetectionPercentText(512, {0, 0, 100, 80}), " (6.4%)\n");
    EXPECT_EQ(DetectionPercentText(0, {0, 0, 0, 0}), " (0.0%)\n");
    EXPECT_EQ(DetectionPercentText(1, {0, 0, 3, 1}), " (33.3%)\n");
    EXPECT_EQ(DetectionPercentText(12000000, {0, 0, 4000, 3000}), " (100.0%)\n");
}

TEST(Processing, RepeatedPassesGiveTheSamePatches) {
    ChartSpec spec;
    spec.width = 331;
    spec.height = 257;
    const cv::Mat image = MakeChart(spec);
    const Pass first = Process(image, {}), second = Process(image, {});
    EXPECT_EQ(first.levels.size(), 3u);
    EXPECT_FALSE(first.patches.empty());
    EXPECT_EQ(first.patches, second.patches);
}

TEST(Processing, PicturesWithoutPixelsAreIgnoredSilently) {
    const Pass p = Process(cv::Mat(), {});
    EXPECT_FALSE(p.ran);
    EXPECT_TRUE(p.log.empty());
    EXPECT_TRUE(p.levels.empty());
    EXPECT_FALSE(Process(cv::Mat(0, 5, CV_8UC3), {}).ran);
}

TEST(Processing, BadPicturesProcessWithSensibleLogs) {
    // One pixel, black and white.
    Pass p = Process(cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), {});
    EXPECT_NE(p.log.find("Number of detections (map): 1 (100.0%)\ntop left =0,0; bottom right=1,1\n"),
              std::string::npos);
    EXPECT_EQ(p.patches.size(), 0u);  // one run of height 0 is below the minimum of 3
    p = Process(cv::Mat(1, 1, CV_8UC3, cv::Scalar(255, 255, 255)), {});
    EXPECT_NE(p.log.find("Number of detections (map): 0 (0.0%)\n"), std::string::npos);

    // All black: everything is ink, so the fixed threshold takes over.
    p = Process(cv::Mat(200, 300, CV_8UC3, cv::Scalar(0, 0, 0)), {});
    EXPECT_NE(p.log.find("Overriding with manual threshold value (160)\n"
                         "Number of detections (map): 60000 (100.0%)\n"
                         "top left =0,0; bottom right=300,200\n"),
              std::string::npos);
    ASSERT_EQ(p.patches.size(), 1u);
    EXPECT_EQ(p.patches[0].size(), 300u);

    // One colour: Otsu finds no split, nothing is ink.
    p = Process(cv::Mat(120, 90, CV_8UC3, cv::Scalar(200, 40, 40)), {});
    EXPECT_NE(p.log.find("Number of detections (map): 0 (0.0%)\n"), std::string::npos);

    // Very wide and flat, with a red stripe.
    cv::Mat wide(3, 20000, CV_8UC3, cv::Scalar(255, 255, 255));
    wide.row(1).setTo(cv::Scalar(255, 0, 0));
    p = Process(wide, {});
    EXPECT_TRUE(p.ran);
    EXPECT_NE(p.log.find("Grouping...\n"), std::string::npos);
    EXPECT_TRUE(p.area.left >= 0 && p.area.right <= 20000 && p.area.top >= 0 && p.area.bottom <= 3);

    // Grey and four-channel pictures are taken as red-green-blue.
    p = Process(cv::Mat(30, 40, CV_8UC1, cv::Scalar(0)), {});
    EXPECT_NE(p.log.find("Number of detections (map): 1200 (100.0%)\n"), std::string::npos);
    p = Process(cv::Mat(30, 40, CV_8UC4, cv::Scalar(0, 0, 0, 255)), {});
    EXPECT_NE(p.log.find("Number of detections (map): 1200 (100.0%)\n"), std::string::npos);
    // Any other matrix is an error, not an empty result.
    EXPECT_THROW(Process(cv::Mat(30, 40, CV_16UC3, cv::Scalar::all(0)), {}), cv::Exception);
    EXPECT_THROW(Process(cv::Mat(30, 40, CV_8UC2, cv::Scalar::all(0)), {}), cv::Exception);
}

TEST(Processing, AllInkTwelveMegapixelsAsksOnce) {
    const cv::Mat image(3000, 4000, CV_8UC3, cv::Scalar(0, 0, 0));
    const Pass p = Process(image, {}, kNoRect, true);
    EXPECT_EQ(p.asked, 1);
    EXPECT_NE(p.log.find("Number of detections (map): 12000000 (100.0%)\n"), std::string::npos);
    // The columns finished before the question make up the one patch.
    ASSERT_EQ(p.patches.size(), 1u);
    EXPECT_EQ(p.patches[0].size(), size_t(kAskAfterPixels / 3000));
    EXPECT_EQ(p.patches[0].back(), (::Run{0, int(kAskAfterPixels / 3000) - 1, 2999}));
}

TEST(Processing, MatchesThePassBuiltFromThePlainPieces) {
    struct Case {
        int width, height, curves;
        uint32_t seed;
        bool removeGrid, manual;
        PlotArea rect;
    };
    const Case cases[] = {
        {641, 479, 3, 1, false, false, kNoRect}, {517, 333, 5, 2, true, false, kNoRect},
        {300, 701, 4, 3, false, true, kNoRect},  {459, 387, 6, 4, true, true, {31, 17, 9000, 300}},
        {777, 555, 2, 5, false, false, {100, 90, 500, 400}},
    };
    for (const Case& c : cases) {
        ChartSpec spec;
        spec.width = c.width;
        spec.height = c.height;
        spec.curves = c.curves;
        spec.seed = c.seed;
        spec.textBlobs = 40;
        spec.curveThickness = 1 + int(c.seed % 3);
        const cv::Mat image = MakeChart(spec);
        ProcessSettings s;
        s.removeGrid = c.removeGrid;
        s.manualThreshold = c.manual;
        s.minPatchSize = c.seed % 4;
        SCOPED_TRACE("seed " + std::to_string(c.seed));

        std::vector<double> refLevels;
        PatchList refPatches;
        PlotArea refArea;
        StringLog log, refLog;
        cv::Mat refBinary;
        s.keepBinary = true;
        const ProcessResult r = RunProcessing(image, s, c.rect, log, {});
        ASSERT_TRUE(r.ran);
        ASSERT_TRUE(ref::RunProcessing(image, s, c.rect, refLevels, refPatches, refArea, refLog, {}, &refBinary));
        EXPECT_EQ(log.Text(), refLog.Text());
        EXPECT_EQ(r.plotArea, refArea);
        EXPECT_EQ(r.channelThresholds, refLevels);
        EXPECT_EQ(cv::norm(r.binary, refBinary, cv::NORM_INF), 0);
        EXPECT_GT(r.patches.size(), 3u);
        EXPECT_EQ(r.patches, refPatches);
    }
}

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

// A pass with its log and how often it asked whether to go on.
struct Pass : ProcessResult {
    std::string log;
    int asked = 0;
};

Pass Process(const cv::Mat& image, const ProcessSettings& settings, const PlotArea& rect = kNoRect,
             bool answer = true) {
    Pass p;
    StringLog log;
    static_cast<ProcessResult&>(p) = RunProcessing(image, settings, rect, log, [&] {
        ++p.asked;
        return answer;
    });
    p.log = log.Text();
    return p;
}

}  // namespace

ProcessSettings Settings(int threshold) {
    ProcessSettings s;
    s.threshold = threshold;
    return s;
}

std::string Stages(const std::string& detecting, const std::string& map, const std::string& classes) {
    return "Performing detections...\nDetecting graph axis...\n" + detecting + "Number of detections (map): " + map +
           "Performing color detections\nColour classes from the picture: " + classes + "\nGrouping...\n";
}

TEST(Processing, LogsAreasAndPatchesOfEachKindOfPass) {
    // Dark grey over the left half: half the area is ink under the channel levels,
    // and the grey threshold of 140 then finds none.
    cv::Mat half(100, 200, CV_8UC3, cv::Scalar(255, 255, 255));
    half.colRange(0, 100).setTo(cv::Scalar(150, 150, 150));
    // Just under 15% ink keeps the channel levels: 29 grey squares, too small to look like frame lines.
    cv::Mat light(100, 200, CV_8UC3, cv::Scalar(255, 255, 255));
    for (int i = 0; i < 29; ++i)
        light(cv::Rect(5 + 20 * (i % 9), 5 + 25 * (i / 9), 10, 10)).setTo(cv::Scalar(150, 150, 150));
    cv::Mat wide(3, 20000, CV_8UC3, cv::Scalar(255, 255, 255));  // very wide and flat, with a red stripe
    wide.row(1).setTo(cv::Scalar(255, 0, 0));
    const cv::Mat block = BlockPicture();
    const ProcessSettings automatic;
    struct Case {
        const char* what;
        cv::Mat image;
        ProcessSettings settings;
        PlotArea rect;
        std::string log;  // the whole log when it starts the pass, else a part of it
        int patches;      // -1: not checked
        PlotArea area;    // left -1: not checked
        int asked = 0;    // whether to go on
    };
    const std::vector<Case> cases = {
        {"automatic", block, automatic, kNoRect,
         Stages("", "200 (0.2%)\ntop left =0,0; bottom right=400,300\n", "1 (#000000)"), 1, {0, 0, 400, 300}},
        {"heavy ink overrides with the fixed threshold", half, Settings(140), kNoRect,
         Stages("Overriding with manual threshold value (140)\n", "0 (0.0%)\ntop left =0,0; bottom right=200,100\n",
                "0"),
         0, kNoRect},
        {"just under 15% ink", light, Settings(140), kNoRect,
         "Detecting graph axis...\nNumber of detections (map): 2900 (14.5%)\n", -1, kNoRect},
        {"an area without columns", block, automatic, {55, 10, 55, 200},
         "Number of detections (map): 0 (0.0%)\ntop left =55,10; bottom right=55,200\n", 0, kNoRect},
        {"wholly right of the image: after the cut right < left", block, automatic, {500, 10, 600, 200},
         "Number of detections (map): 0 (0.0%)\ntop left =500,10; bottom right=400,200\n", 0, {500, 10, 400, 200}},
        {"left of and above the image: the outside holds no ink", block, automatic, {-100, -50, 100, 100},
         "Number of detections (map): 200 (0.7%)\n", 1, kNoRect},
        // One run of height 0 is below the minimum of 3.
        {"one black pixel", cv::Mat(1, 1, CV_8UC3, cv::Scalar(0, 0, 0)), automatic, kNoRect,
         "Number of detections (map): 1 (100.0%)\ntop left =0,0; bottom right=1,1\n", 0, kNoRect},
        {"all black: everything is ink, so the fixed threshold takes over",
         cv::Mat(200, 300, CV_8UC3, cv::Scalar(0, 0, 0)), automatic, kNoRect,
         "Overriding with manual threshold value (160)\nNumber of detections (map): 60000 (100.0%)\n"
         "top left =0,0; bottom right=300,200\n",
         1, kNoRect},
        {"one colour: Otsu finds no split", cv::Mat(120, 90, CV_8UC3, cv::Scalar(200, 40, 40)), automatic, kNoRect,
         "Number of detections (map): 0 (0.0%)\n", 0, kNoRect},
        {"very wide and flat", wide, automatic, kNoRect, "Grouping...\n", -1, kNoRect},
        // The columns finished before the question make up the one patch (their runs are the grouping's test).
        {"all ink over twelve megapixels asks once", cv::Mat(3000, 4000, CV_8UC3, cv::Scalar(0, 0, 0)), automatic, kNoRect,
         "Number of detections (map): 12000000 (100.0%)\n", 1, kNoRect, 1},
        // Grey and four-channel pictures are taken as red-green-blue.
        {"grey", cv::Mat(30, 40, CV_8UC1, cv::Scalar(0)), automatic, kNoRect,
         "Number of detections (map): 1200 (100.0%)\n", -1, kNoRect},
        {"four channels", cv::Mat(30, 40, CV_8UC4, cv::Scalar(0, 0, 0, 255)), automatic, kNoRect,
         "Number of detections (map): 1200 (100.0%)\n", -1, kNoRect},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Pass p = Process(c.image, c.settings, c.rect);
        EXPECT_TRUE(p.ran);
        if (c.log.rfind("Performing", 0) == 0)
            EXPECT_EQ(p.log, c.log);
        else
            EXPECT_NE(p.log.find(c.log), std::string::npos) << p.log;
        EXPECT_EQ(p.inkFound, p.log.find("(map): 0 (") == std::string::npos);
        EXPECT_EQ(p.channelThresholds.size(), 3u);
        EXPECT_EQ(p.asked, c.asked);
        if (c.patches >= 0) {
            EXPECT_EQ(int(p.patches.size()), c.patches);
        }
        if (c.area.left != -1) {
            EXPECT_EQ(p.plotArea, c.area);
        } else if (c.rect.left == -1) {  // a found frame lies in the picture
            const PlotArea& a = p.plotArea;
            EXPECT_TRUE(0 <= a.left && a.left <= a.right && a.right <= c.image.cols && 0 <= a.top && a.top <= a.bottom &&
                        a.bottom <= c.image.rows);
        }
    }
    // Any other matrix is an error, not an empty result; pictures without pixels are ignored silently.
    EXPECT_THROW(Process(cv::Mat(30, 40, CV_16UC3, cv::Scalar::all(0)), {}), cv::Exception);
    EXPECT_THROW(Process(cv::Mat(30, 40, CV_8UC2, cv::Scalar::all(0)), {}), cv::Exception);
    const Pass none = Process(cv::Mat(), {});
    EXPECT_FALSE(none.ran);
    EXPECT_TRUE(none.log.empty());
    EXPECT_TRUE(none.channelThresholds.empty());
    EXPECT_FALSE(Process(cv::Mat(0, 5, CV_8UC3), {}).ran);
}

TEST(Processing, MatchesThePassBuiltFromThePlainPieces) {
    struct Case {
        int width, height, curves;
        uint32_t seed;
        bool removeGrid, manual;
        PlotArea rect;
    };
    const Case cases[] = {
        // Odd sizes, every stroke thickness, a rectangle cut at the picture's edge and one inside it.
        {641, 479, 3, 1, false, false, kNoRect}, {459, 387, 6, 3, true, true, {31, 17, 9000, 300}},
        {777, 555, 2, 5, true, false, {100, 90, 500, 400}},
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
        // The plain pieces class by the six reference colours.
        s.colourClassing = ColourClassing::ReferenceColours;
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
        EXPECT_EQ(std::make_tuple(log.Text(), r.plotArea, r.channelThresholds, r.patches),
                  std::make_tuple(refLog.Text(), refArea, refLevels, refPatches));
        EXPECT_EQ(cv::norm(r.binary, refBinary, cv::NORM_INF), 0);
        EXPECT_GT(r.patches.size(), 3u);
        // Repeated passes give the same patches, with the classes learned from the picture too.
        EXPECT_EQ(RunProcessing(image, s, c.rect, log, {}).patches, r.patches);
        s.colourClassing = ColourClassing::FromPicture;
        EXPECT_EQ(RunProcessing(image, s, c.rect, log, {}).patches, RunProcessing(image, s, c.rect, log, {}).patches);
    }
}

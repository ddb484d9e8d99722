// Rules the window only calls: what a press does with Shift and Control held, when a
// typed grid width is applied, and what the white background shows from the first pass on.
#include <gtest/gtest.h>

#include <tuple>

#include "app/input_rules.h"
#include "cli_sample_chart.h"
#include "document/interaction.h"
#include "document/readout.h"
#include "support/builders.h"
#include "ui/settle_wait.h"

TEST(WindowRules, ShiftReachesTheWholeClassPick) {
    using P = PressKind;
    const std::tuple<bool, bool, bool, PressKind> cases[] = {  // right button, Shift, Control, what it does
        {false, false, false, P::Plain}, {false, false, true, P::Plain}, {false, true, false, P::ClassPick},
        {false, true, true, P::Plain},   {true, false, false, P::Plain}, {true, false, true, P::Plain},
        {true, true, false, P::ClassUnpick}, {true, true, true, P::ClassUnpick},
    };
    for (const auto& [right, shift, control, kind] : cases)
        EXPECT_EQ(KindOfPress(right, shift, control), kind) << right << shift << control;
}

TEST(WindowRules, ATypedGridWidthIsAppliedOnceTheTypingSettles) {
    // Two quick keystrokes, checks as a timer would make them, then one more keystroke.
    const std::tuple<long, bool, bool> steps[] = {  // time, an edit (else a check), the pass due
        {0, false, false},   {1000, true, false},  {1020, true, false},  {1100, false, false},
        {1419, false, false}, {1420, false, true}, {1500, false, false}, {2000, true, false},
        {2399, false, false}, {2400, false, true}, {9000, false, false},
    };
    SettleWait wait(400);
    for (const auto& [t, edit, due] : steps) {
        if (edit) wait.Edit(t);
        else EXPECT_EQ(wait.Due(t), due) << t;
    }
    EXPECT_EQ(wait.Left(9000), 0);  // nothing waits
    wait.Edit(10000);
    EXPECT_EQ(wait.Left(10390), 10);
    EXPECT_EQ(wait.Left(10500), 1);
}

TEST(WindowRules, TheWhiteBackgroundShowsTheFirstPassesBinaryImage) {
    const cv::Mat chart = sample_chart::Picture();
    const cv::Rect whole(0, 0, chart.cols, chart.rows);
    Preferences prefs;
    prefs.whiteBackground = prefs.manualThreshold = prefs.referenceColours = true;
    prefs.threshold = 128;
    StringLog log;
    const ProcessResult on = RunProcessing(chart, ProcessSettingsFor(prefs, true, 3), {-1, -1, -1, -1}, log, {});
    EXPECT_NE(log.Text().find("Manual thresholding (128)...Removing grid...\n"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("Performing color detections\nGrouping"), std::string::npos) << log.Text();
    ASSERT_EQ(on.binary.size(), chart.size());
    NullLog quiet;
    EXPECT_TRUE(RunProcessing(chart, ProcessSettingsFor({}, false, 2), {-1, -1, -1, -1}, quiet, {}).binary.empty());

    // Ink the pass dropped (the grey grid, anti-aliasing) shows as white paper, the rest as black.
    const cv::Mat shown = ShownBackground(chart, on.binary, whole, true);
    int dropped = 0, white = 0, wrong = 0;
    for (int y = 0; y < chart.rows; ++y)
        for (int x = 0; x < chart.cols; ++x) {
            const cv::Vec3b c = chart.at<cv::Vec3b>(y, x), s = shown.at<cv::Vec3b>(y, x);
            const bool kept = on.binary.at<uchar>(y, x) == 0;
            if (!kept && c != cv::Vec3b(255, 255, 255)) ++dropped, white += s == cv::Vec3b(255, 255, 255);
            if (kept) wrong += s != cv::Vec3b(0, 0, 0);
        }
    EXPECT_GT(dropped, 1000);
    EXPECT_EQ(white, dropped);
    EXPECT_EQ(wrong, 0);
    // Off, or with no binary image kept, the picture itself; a part is that part.
    const cv::Rect part(90, 100, 30, 40);  // across a grid line
    EXPECT_TRUE(SameImage(ShownBackground(chart, on.binary, part, false), chart(part)));
    EXPECT_TRUE(SameImage(ShownBackground(chart, cv::Mat(), part, true), chart(part)));
    EXPECT_TRUE(SameImage(ShownBackground(chart, on.binary, part, true), shown(part)));
}

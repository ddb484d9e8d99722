// Calibration from tick labels in the window: Process on a generated chart calibrates
// both axes by itself, draws their marks and shows the labels used; one Undo takes it back.
#include <gtest/gtest.h>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "text/label.h"

TEST(TickLabelsWindow, ProcessCalibratesBothAxesFromTheLabelsWithMarksDrawn) {
    curvetapApp& app = wxGetApp();
    app.SetAutoCalibrate(true);
    ASSERT_TRUE(LoadPicture(std::string(PLOTSNAP_SOURCE_DIR) + "/tests/data/ticks-linear-log.png"));
    const std::string before = LogText();
    ProcessNow();
    Pump(100);
    const std::string added = LogText().substr(before.size());
    EXPECT_NE(added.find("X axis from 6 tick labels: 0 to 10, linear\n"), std::string::npos) << added;
    EXPECT_NE(added.find("Y axis from 5 tick labels: 1 to 10000, logarithmic\n"), std::string::npos) << added;

    // The values read are the command line's test; here the whole result reaches the document.
    const Calibration c = app.Doc().GetCalibration();
    ASSERT_TRUE(c.xPixel1 >= 0 && c.xPixel2 >= 0 && c.yPixel1 >= 0 && c.yPixel2 >= 0);
    EXPECT_TRUE(app.Prefs().logScaleY && !app.Prefs().logScaleX);
    int kinds = 0;
    for (const TextLabel& l : app.Doc().Labels()) kinds |= l.kind;
    EXPECT_EQ(kinds & LABEL_AXIS_VALUES, LABEL_AXIS_VALUES);

    // The marks are drawn: the blue tick across the X axis at its first point.
    const wxImage shown = GrabClient(g_canvas);
    const int x = c.xPixel1, y = c.xRow + 4;
    ASSERT_TRUE(x < shown.GetWidth() && y < shown.GetHeight());
    EXPECT_GT(shown.GetBlue(x, y), 180);
    EXPECT_LT(shown.GetRed(x, y), 100);

    // The whole calibration is one step.
    app.Undo();
    Pump(30);
    EXPECT_TRUE(app.Doc().GetCalibration().xPixel1 < 0 && app.Doc().GetCalibration().yPixel1 < 0);
    app.SetAutoCalibrate(false);
    app.SetLogarithmicY(false);
}

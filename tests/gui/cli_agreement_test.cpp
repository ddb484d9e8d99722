// The headless tool and the window's Export write the same bytes for the same
// picks, calibration and settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "gui_support.h"
#include "ui/GUIFrame.h"

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
}  // namespace

TEST(CliAgreement, WindowExportAndCliWriteTheSameBytes) {
    const std::string chart = std::string(PLOTSNAP_SOURCE_DIR) + "/resources/sample-chart.png";
    ASSERT_TRUE(LoadPicture(chart));
    ProcessNow();
    // The two longest patches are the two curves; pick each at its middle column (runs are
    // ordered by row, so sort a copy by column) into its own graph.
    PatchList byLength = g_canvas->AllPatches();
    ASSERT_GE(byLength.size(), 2u);
    std::stable_sort(byLength.begin(), byLength.end(), [](const Patch& a, const Patch& b) { return a.size() > b.size(); });
    std::vector<IPoint> picks;
    for (int i = 0; i < 2; ++i) {
        Patch runs = byLength[i];
        std::sort(runs.begin(), runs.end(), [](const ::Run& a, const ::Run& b) { return a.col < b.col; });
        const ::Run& mid = runs[runs.size() / 2];
        picks.push_back({mid.col, (mid.row1 + mid.row2) / 2});
    }
    real::Click(picks[0].x, picks[0].y);
    g_mainFrame->RunCommand(ID_NEW_GRAPH);
    real::Click(picks[1].x, picks[1].y);
    Seam().Reset();
    Seam().texts = {"0", "10", "0", "100"};
    real::Key('X');
    real::Click(60, 340);
    real::Click(440, 345);
    real::Move(250, 200);
    real::Key('Y');
    real::Click(20, 310);
    real::Click(25, 30);
    real::Move(250, 200);
    const std::string dir = TempDir("agreement");
    Seam().files = {dir + "/window.csv"};
    g_mainFrame->RunCommand(ID_EXPORT);
    const std::string window = Slurp(dir + "/window.csv");
    ASSERT_FALSE(window.empty());

    char cmd[1024];
    std::snprintf(cmd, sizeof cmd,
                  "'%s' process '%s' --pick %d,%d --graph --pick %d,%d --x 60=0,440=10 --y 310=0,30=100 -o '%s' "
                  "2>'%s'",
                  PLOTSNAP_CLI, chart.c_str(), picks[0].x, picks[0].y, picks[1].x, picks[1].y,
                  (dir + "/cli.csv").c_str(), (dir + "/cli.log").c_str());
    ASSERT_EQ(std::system(cmd), 0) << Slurp(dir + "/cli.log");
    EXPECT_EQ(Slurp(dir + "/cli.csv"), window);
    // The tool reports the same processing lines the window logged.
    const std::string cliLog = Slurp(dir + "/cli.log");
    const size_t from = LogText().rfind("Performing detections...");
    const size_t to = LogText().find("Processing complete!\n", from);
    ASSERT_NE(to, std::string::npos);
    EXPECT_NE(cliLog.find(LogText().substr(from, to - from)), std::string::npos) << cliLog;
}

// Sub-pixel curve centres, marker centroids and crossing bridges, on strokes drawn
// with exact coverage (16 x 16 samples a pixel); thick strokes covered along one edge.
#include "detect/centres.h"

#include "detect/binarise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include "detect/overlap.h"

namespace {

using Colour = cv::Vec3b;
const Colour kWhite(255, 255, 255), kBlack(0, 0, 0), kRed(220, 20, 20), kPaper(235, 230, 215);

double SegmentDistance(cv::Point2d p, cv::Point2d a, cv::Point2d b) {
    const cv::Point2d d = b - a;
    const double t = d.dot(d) > 0 ? std::clamp((p - a).dot(d) / d.dot(d), 0.0, 1.0) : 0.0;
    return cv::norm(p - (a + t * d));
}

// Paints a round-ended stroke of `width` from a to b, each pixel blended by its covered share.
void Stroke(cv::Mat& picture, cv::Point2d a, cv::Point2d b, double width, Colour ink) {
    for (int r = 0; r < picture.rows; ++r)
        for (int c = 0; c < picture.cols; ++c) {
            if (SegmentDistance({double(c), double(r)}, a, b) > width / 2 + 1) continue;
            int inside = 0;
            for (int i = 0; i < 16; ++i)
                for (int j = 0; j < 16; ++j)
                    inside += SegmentDistance({c - 0.5 + (j + 0.5) / 16, r - 0.5 + (i + 0.5) / 16}, a, b) <= width / 2;
            Colour& p = picture.at<Colour>(r, c);
            for (int ch = 0; ch < 3; ++ch) p[ch] = cv::saturate_cast<uchar>(p[ch] + (ink[ch] - p[ch]) * inside / 256.0);
        }
}

// One patch of every ink pixel, as runs per column.
Patch InkPatch(const cv::Mat& picture) {
    cv::Mat binary;
    std::vector<double> levels;
    BinariseByChannels(binary, picture, levels, 3);
    Patch patch;
    for (int c = 0; c < picture.cols; ++c)
        for (int r = 0; r < picture.rows; ++r) {
            if (binary.at<uchar>(r, c) != kInk) continue;
            int end = r;
            while (end + 1 < picture.rows && binary.at<uchar>(end + 1, c) == kInk) ++end;
            patch.push_back({r, c, end});
            r = end;
        }
    std::sort(patch.begin(), patch.end());
    return patch;
}

PointList Centres(const cv::Mat& picture, const PatchList& graph, bool bridge = true) {
    PointList points;
    ColumnMap unused;
    BuildPointList(points, graph, picture.rows, picture.cols, true, unused);
    PlaceCurveCentres(points, graph, picture, bridge);
    return points;
}

}  // namespace

TEST(PlaceCurveCentres, AntiAliasedLinesComeBackAtTheirSubPixelHeight) {
    struct Case {
        double y0, slope, width;
        Colour ink, paper;
    };
    const Case cases[] = {
        {20.0, 0, 2, kBlack, kWhite},  {20.25, 0, 2, kBlack, kWhite}, {20.5, 0, 2, kBlack, kWhite},
        {20.8, 0, 2, kRed, kWhite},    {20.3, 0, 2, kBlack, kPaper},  {20.6, 0, 3.4, kRed, kPaper},
        {14.2, 0.23, 2, kBlack, kWhite}, {16.7, 0.41, 4, kRed, kWhite},
    };
    for (const Case& k : cases) {
        cv::Mat picture(48, 60, CV_8UC3, cv::Scalar(k.paper[0], k.paper[1], k.paper[2]));
        Stroke(picture, {-5, k.y0 - 5 * k.slope}, {65, k.y0 + 65 * k.slope}, k.width, k.ink);
        const Patch patch = InkPatch(picture);
        const PointList points = Centres(picture, {patch});
        SCOPED_TRACE(testing::Message() << "y0 " << k.y0 << " slope " << k.slope << " width " << k.width);
        ASSERT_GT(points.size(), 50u);
        double worst = 0;
        for (const cv::Point2d& p : points) {
            if (p.x < 3 || p.x >= 57) continue;
            worst = std::max(worst, std::abs(p.y - (k.y0 + k.slope * p.x)));
            // The value markers read the same centre from the patch.
            EXPECT_DOUBLE_EQ(StrokeCentre(patch, int(p.x), int(std::lround(p.y)), picture), p.y);
        }
        EXPECT_LT(worst, 0.1);
    }
}

TEST(PlaceCurveCentres, AMarkerIsOnePointAtItsInkCentroidButADashIsNoMarker) {
    // Stroke ends, width, whether the graph also holds a curve (right, rows 29-31), and
    // whether the blob is a marker: two dots, a short dash, and a dab that is a
    // marker alone but beside a curve is that curve's stub.
    const std::tuple<cv::Point2d, cv::Point2d, double, bool, bool> cases[] = {
        {{20.3, 15.7}, {20.3, 15.7}, 8, false, true}, {{31.5, 12.0}, {31.5, 12.0}, 6, false, true},
        {{16, 10}, {24, 18}, 3, false, false},        {{19, 15.5}, {22, 15.5}, 6, false, true},
        {{19, 15.5}, {22, 15.5}, 6, true, false}};
    for (const auto& [a, b, width, curve, marker] : cases) {
        cv::Mat picture(32, 64, CV_8UC3, cv::Scalar::all(255));
        Stroke(picture, a, b, width, kRed);
        if (curve) Stroke(picture, {30, 30}, {62, 30}, 2, kRed);
        Patch blob, line;
        for (const ::Run& run : InkPatch(picture)) (run.row1 < 26 ? blob : line).push_back(run);
        const PointList points = Centres(picture, curve ? PatchList{line, blob} : PatchList{blob});
        const auto inBlob = std::count_if(points.begin(), points.end(), [](const cv::Point2d& p) { return p.y < 26; });
        if (!marker) {
            EXPECT_GT(inBlob, 2);  // points along the stroke, as for any curve
            continue;
        }
        ASSERT_EQ(points.size(), 1u);
        EXPECT_LT(cv::norm(points[0] - (a + b) / 2), 0.1) << points[0];
    }
}

TEST(PlaceCurveCentres, CrossingsHiddenByAnotherCurveAreBridged) {
    struct Case {
        const char* what;
        cv::Point2d a, b;   // the other ink drawn over the black line
        double width;
        bool bridge;
        bool bridged;
        double line = 2;  // the black line's width
    };
    const Case cases[] = {
        {"steep red curve", {30, 0}, {33, 40}, 3, true, true},
        {"the same with bridging off", {30, 0}, {33, 40}, 3, false, false},
        {"shallow red band along the line, a few strokes long", {26, 20}, {38, 20}, 1.5, true, true},
        {"red curve running along the line, hiding it for many strokes", {10, 20.3}, {52, 20.3}, 2.5, true, true},
        // The black shows above and below the red: a stretch left unpicked, not hidden.
        {"thin red curve along a thick line left unpicked", {10, 20.3}, {52, 20.3}, 1, true, false, 4},
    };
    for (const Case& k : cases) {
        cv::Mat picture(40, 64, CV_8UC3, cv::Scalar::all(255));
        Stroke(picture, {-5, 20.3}, {70, 20.3}, k.line, kBlack);
        Stroke(picture, k.a, k.b, k.width, kRed);
        // The black line's patches: everything of its colour on either side of the red ink.
        const Patch all = InkPatch(picture);
        Patch black;
        for (const ::Run& run : all)
            if (picture.at<Colour>((run.row1 + run.row2) / 2, run.col)[0] < 110 && (run.col < k.a.x || run.col > k.b.x))
                black.push_back(run);
        const PointList points = Centres(picture, {black}, k.bridge);
        SCOPED_TRACE(k.what);
        int covered = 0;
        for (int x = 3; x < 61; ++x)
            covered += std::any_of(points.begin(), points.end(),
                                   [&](const cv::Point2d& p) { return int(p.x) == x && std::abs(p.y - 20.3) < 0.5; });
        EXPECT_EQ(covered == 58, k.bridged) << covered;
    }
}

TEST(PlaceCurveCentres, WithoutContrastOrRunsPointsStay) {
    cv::Mat flat(20, 20, CV_8UC3, cv::Scalar::all(128));
    PointList points{{5, 7.5}, {6, 30}};
    PlaceCurveCentres(points, {{::Run{7, 5, 8}}}, flat, true);
    EXPECT_EQ(points, (PointList{{5, 7.5}, {6, 30}}));
    EXPECT_THROW(PlaceCurveCentres(points, {}, cv::Mat(4, 4, CV_8UC1), true), cv::Exception);
}

// Thick strokes covered along one edge by another curve get their covered part
// back, so their middle is the stroke's centre; everything else is left alone.
TEST(CoveredEdges, RestoredToTheStrokesOwnThicknessOnlyWhereOneEdgeIsCovered) {
    struct Case {
        const char* name;
        int thickness;
        int coverTop, coverBottom;  // rows of the stroke covered at each edge, columns 30..69
        bool restored;              // covered columns come back to the stroke's centre
    };
    const Case cases[] = {
        {"4 px, 2 covered from above", 4, 2, 0, true},
        {"6 px, 5 covered from below", 6, 0, 5, true},
        {"covered at both edges: left as it is", 6, 2, 1, false},
        {"2 px strokes have no edge to restore", 2, 1, 0, false},
        {"nothing covered", 5, 0, 0, true},
    };
    const int y0 = 40;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The stroke, one run per column, and all ink: the stroke plus the covering
        // curve, which reaches 4 rows past the covered edge.
        // Restored, every column is the whole stroke again.
        Patch stroke, expected;
        cv::Mat binary(100, 100, CV_8UC1, cv::Scalar(255));
        for (int x = 0; x < 100; ++x) {
            const bool covered = x >= 30 && x < 70;
            const int top = y0 + (covered ? c.coverTop : 0), bottom = y0 + c.thickness - 1 - (covered ? c.coverBottom : 0);
            stroke.push_back({top, x, bottom});
            expected.push_back(c.restored ? ::Run{y0, x, y0 + c.thickness - 1} : stroke.back());
            binary.col(x).rowRange(y0, y0 + c.thickness).setTo(0);
            if (covered && c.coverTop) binary.col(x).rowRange(y0 - 4, y0).setTo(0);
            if (covered && c.coverBottom) binary.col(x).rowRange(y0 + c.thickness, y0 + c.thickness + 4).setTo(0);
        }
        std::sort(stroke.begin(), stroke.end());
        std::sort(expected.begin(), expected.end());
        PatchList restored = RestoreCoveredEdges(PatchList{stroke}, binary);
        ASSERT_EQ(restored.size(), 1u);
        std::sort(restored[0].begin(), restored[0].end());
        EXPECT_EQ(restored[0], expected);
    }
    EXPECT_THROW(RestoreCoveredEdges(PatchList(), cv::Mat(4, 4, CV_8UC3)), cv::Exception);
}

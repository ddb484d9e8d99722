// Thinning, the point list built from patches, and the patch box / hover key.
#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "detect/thinning.h"
#include "reference/thinning_reference.h"

namespace {

cv::Mat Line(int rows, int cols, cv::Point a, cv::Point b, int thickness = 1) {
    cv::Mat m = cv::Mat::zeros(rows, cols, CV_8UC1);
    cv::line(m, a, b, cv::Scalar(1), thickness, cv::LINE_8);
    return m;
}

bool SameMask(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && cv::countNonZero(a != b) == 0;
}

cv::Mat WithoutBorder(cv::Mat m) {
    m = m.clone();
    m.row(0).setTo(0);
    m.row(m.rows - 1).setTo(0);
    m.col(0).setTo(0);
    m.col(m.cols - 1).setTo(0);
    return m;
}

// A straight stroke of width 1 along one row (runs of one pixel each).
void HorizontalRuns(Patch& patch, int row, int fromCol, int toCol) {
    for (int c = fromCol; c <= toCol; ++c) patch.push_back(::Run{row, c, row});
}

PointList Points(std::initializer_list<std::pair<double, double>> xy) {
    PointList out;
    for (const auto& p : xy) out.emplace_back(p.first, p.second);
    return out;
}

}  // namespace

TEST(ThinLines, OnePixelLinesStayAsTheyAreExceptOnTheBorder) {
    struct Case {
        const char* name;
        cv::Point a, b;
    };
    const Case inside[] = {{"horizontal", {3, 10}, {40, 10}},
                           {"vertical", {12, 2}, {12, 27}},
                           {"diagonal", {4, 4}, {25, 25}},
                           {"anti-diagonal", {30, 3}, {8, 25}}};
    for (const Case& c : inside) {
        cv::Mat m = Line(30, 45, c.a, c.b);
        const cv::Mat before = m.clone();
        EXPECT_EQ(ThinLines(m), 1) << c.name;
        EXPECT_TRUE(SameMask(m, before)) << c.name;
    }
    // Running into the edges: only the pixels on the outermost rows and columns go.
    const Case edge[] = {{"horizontal", {0, 10}, {44, 10}},
                         {"vertical", {12, 0}, {12, 29}},
                         {"diagonal", {0, 0}, {29, 29}}};
    for (const Case& c : edge) {
        cv::Mat m = Line(30, 45, c.a, c.b);
        const cv::Mat expected = WithoutBorder(m);
        ThinLines(m);
        EXPECT_TRUE(SameMask(m, expected)) << c.name;
    }
}

TEST(ThinLines, ThickStrokesThinToOnePixel) {
    cv::Mat bar = cv::Mat::zeros(45, 70, CV_8UC1);
    bar(cv::Rect(10, 20, 51, 5)).setTo(1);  // rows 20..24
    EXPECT_GT(ThinLines(bar), 1);
    for (int c = 14; c <= 56; ++c) {
        cv::Mat column = bar.col(c);
        ASSERT_EQ(cv::countNonZero(column), 1) << "column " << c;
        EXPECT_EQ(bar.at<uchar>(22, c), 1) << "column " << c;  // the middle row
    }

    cv::Mat post = cv::Mat::zeros(70, 45, CV_8UC1);
    post(cv::Rect(20, 10, 5, 51)).setTo(1);
    ThinLines(post);
    for (int r = 14; r <= 56; ++r) {
        ASSERT_EQ(cv::countNonZero(post.row(r)), 1) << "row " << r;
        EXPECT_EQ(post.at<uchar>(r, 22), 1) << "row " << r;
    }
}

TEST(ThinLines, AgreesWithReferenceOnRandomMasks) {
    cv::RNG rng(20240611);
    const cv::Size sizes[] = {{1, 1}, {2, 7}, {7, 2}, {3, 3}, {4, 5}, {37, 53}, {64, 64}, {101, 29}};
    for (const cv::Size& size : sizes) {
        for (int trial = 0; trial < 12; ++trial) {
            cv::Mat m = cv::Mat::zeros(size, CV_8UC1);
            if (trial % 3 == 0) {
                // Speckle of varying density.
                const double density = 0.1 + 0.4 * (trial / 3);
                for (int r = 0; r < m.rows; ++r)
                    for (int c = 0; c < m.cols; ++c) m.at<uchar>(r, c) = rng.uniform(0.0, 1.0) < density;
            } else {
                // Thick strokes and blobs, as patches look.
                for (int k = 0; k < 4; ++k) {
                    const cv::Point a(rng.uniform(-3, m.cols + 3), rng.uniform(-3, m.rows + 3));
                    const cv::Point b(rng.uniform(-3, m.cols + 3), rng.uniform(-3, m.rows + 3));
                    cv::line(m, a, b, cv::Scalar(1), rng.uniform(1, 9), cv::LINE_8);
                }
                cv::circle(m, {rng.uniform(0, m.cols), rng.uniform(0, m.rows)}, rng.uniform(1, 12), cv::Scalar(1), -1);
            }
            cv::Mat expected = m.clone();
            const int expectedPasses = ThinLinesReference(expected);
            cv::Mat got = m.clone();
            EXPECT_EQ(ThinLines(got), expectedPasses) << size << " trial " << trial;
            EXPECT_TRUE(SameMask(got, expected)) << size << " trial " << trial;
        }
    }
}

TEST(ThinLines, WorksOnSubImageViewsAndTreatsAnyNonZeroAsSet) {
    cv::RNG rng(7);
    cv::Mat big(60, 80, CV_8UC1, cv::Scalar(9));  // the surroundings must not be touched
    const cv::Rect roi(5, 7, 41, 33);
    cv::Mat view = big(roi);
    view.setTo(0);
    for (int k = 0; k < 5; ++k)
        cv::line(view, {rng.uniform(0, roi.width), rng.uniform(0, roi.height)},
                 {rng.uniform(0, roi.width), rng.uniform(0, roi.height)}, cv::Scalar(255), rng.uniform(2, 7));
    cv::Mat expected = view.clone();
    const int passes = ThinLinesReference(expected);

    EXPECT_EQ(ThinLines(view), passes);
    EXPECT_TRUE(SameMask(view, expected));
    cv::Mat outside = big.clone();
    outside(roi).setTo(9);
    EXPECT_EQ(cv::countNonZero(outside != 9), 0);
}

TEST(BuildPointList, WithoutThinningEveryPixelInColumnOrder) {
    PatchList patches = {{::Run{7, 5, 3}}, {::Run{2, 1, 2}, ::Run{4, 5, 4}}};
    PointList points;
    ColumnMap columns;
    EXPECT_EQ(BuildPointList(points, patches, 20, 20, false, columns), -1);
    EXPECT_EQ(points, Points({{1, 2}, {5, 3}, {5, 4}, {5, 4}, {5, 5}, {5, 6}, {5, 7}}));
    EXPECT_EQ(columns, (ColumnMap{{1, {2}}, {5, {3, 4, 4, 5, 6, 7}}}));
}

TEST(BuildPointList, ThinnedColumnStretchesCollapseToTheirMiddle) {
    // A one-pixel stroke along row 10 that steps down to row 11 at column 15,
    // where that column holds both rows.
    Patch step;
    HorizontalRuns(step, 10, 5, 14);
    step.push_back(::Run{10, 15, 11});
    HorizontalRuns(step, 11, 16, 25);
    PointList points;
    ColumnMap columns;
    EXPECT_EQ(BuildPointList(points, {step}, 40, 40, true, columns), 1);
    ASSERT_EQ(points.size(), 21u);
    EXPECT_EQ(points[9], cv::Point2d(14, 10));
    EXPECT_EQ(points[10], cv::Point2d(15, 10.5));
    EXPECT_EQ(points[11], cv::Point2d(16, 11));
    EXPECT_EQ(columns.at(15), std::vector<int>{10});

    // A second stroke on row 14 shares the column: rows 10, 11 and 14 give 10.5 and 14.
    Patch below;
    HorizontalRuns(below, 14, 5, 25);
    BuildPointList(points, {step, below}, 40, 40, true, columns);
    ASSERT_EQ(points.size(), 42u);
    EXPECT_EQ(points[20], cv::Point2d(15, 10.5));
    EXPECT_EQ(points[21], cv::Point2d(15, 14));
    EXPECT_EQ(columns.at(15), (std::vector<int>{10, 14}));
    EXPECT_EQ(columns.at(5), (std::vector<int>{10, 14}));
}

TEST(BuildPointList, ThinningDropsTheImageEdgeAndIgnoresPixelsOutsideIt) {
    // A vertical stroke from the first row: row 0 is lost, rows 1..10 remain.
    PointList points;
    ColumnMap columns;
    BuildPointList(points, {{::Run{0, 5, 10}}}, 20, 20, true, columns);
    EXPECT_EQ(points, Points({{5, 5.5}}));

    // Runs wholly or partly outside the picture must not be painted anywhere.
    const PatchList outside = {{::Run{-5, 3, -1}, ::Run{2, -1, 6}, ::Run{2, 20, 6}, ::Run{25, 4, 30}}};
    EXPECT_EQ(BuildPointList(points, outside, 20, 20, true, columns), 1);
    EXPECT_TRUE(points.empty());
    EXPECT_TRUE(columns.empty());
    BuildPointList(points, {{::Run{-50, 8, 50}}}, 20, 20, true, columns);
    EXPECT_EQ(points, Points({{8, 9.5}}));  // rows 1..18 survive

    EXPECT_EQ(BuildPointList(points, {}, 20, 20, true, columns), 1);
    EXPECT_TRUE(points.empty());
}

TEST(BuildPointList, AgreesWithWholeImageReference) {
    cv::RNG rng(99);
    const cv::Size sizes[] = {{5, 4}, {33, 21}, {64, 47}, {17, 90}};
    for (const cv::Size& size : sizes) {
        for (int trial = 0; trial < 15; ++trial) {
            PatchList patches(rng.uniform(1, 4));
            for (Patch& patch : patches) {
                const int n = rng.uniform(1, 40);
                int col = rng.uniform(-2, size.width + 2), row = rng.uniform(-2, size.height + 2);
                for (int k = 0; k < n; ++k) {
                    col += rng.uniform(-1, 2);
                    row += rng.uniform(-2, 3);
                    patch.push_back(::Run{row + rng.uniform(-3, 4), col, row});
                }
            }
            for (bool thin : {true, false}) {
                PointList got, expected;
                ColumnMap gotColumns, expectedColumns;
                const int passes = BuildPointList(got, patches, size.height, size.width, thin, gotColumns);
                EXPECT_EQ(passes,
                          BuildPointListReference(expected, patches, size.height, size.width, thin, expectedColumns));
                EXPECT_EQ(got, expected) << size << " trial " << trial << " thin " << thin;
                EXPECT_EQ(gotColumns, expectedColumns);
            }
        }
    }
}

TEST(PatchBoxAndHoverKey, BoxSpansRunsEitherWayRound) {
    EXPECT_EQ(PatchBoundingBox({}), kNoRect);
    const IRect box = PatchBoundingBox({::Run{40, 12, 30}, ::Run{25, 9, 28}, ::Run{33, 17, 41}});
    EXPECT_EQ(box, (IRect{9, 25, 17, 41}));
}

TEST(PatchBoxAndHoverKey, KeyPacksScaledSidesByteByByte) {
    // d = 510: each side becomes side * 255 / 510, truncated.
    EXPECT_EQ(HoverKey(IRect{10, 21, 101, 200}, 400, 510), (5 << 24) | (10 << 16) | (50 << 8) | 100);
    // The left side lands in the top byte, so a box near the right edge gives a negative key.
    const uint32_t high = (254u << 24) | (0u << 16) | (255u << 8) | 127u;
    EXPECT_EQ(HoverKey(IRect{999, 0, 1000, 500}, 1000, 1000), static_cast<int>(high));
    // Boxes that scale alike share a key; a unit apart at this scale they do not.
    EXPECT_EQ(HoverKey(IRect{100, 100, 200, 200}, 1000, 1000), HoverKey(IRect{101, 101, 202, 201}, 1000, 1000));
    EXPECT_NE(HoverKey(IRect{100, 100, 200, 200}, 1000, 1000), HoverKey(IRect{100, 100, 204, 200}, 1000, 1000));
}

// Colour classes learned from the picture: the inks found on small drawn charts,
// the class of every blend pixel, whole-class picks, bounded classes on bad
// pictures, the direct Lab conversion and colours as text.
#include "app/picture_decode.h"
#include "detect/class_pick.h"
#include "detect/colour_classes.h"
#include "detect/process.h"
#include "support/hosts.h"
#include "support/jpeg_file.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>


namespace {

cv::Vec3b Hex(const std::string& text) {
    cv::Vec3b rgb;
    EXPECT_TRUE(ParseHexColour(text, rgb)) << text;
    return rgb;
}

// A wave across the picture; `dash` > 0 draws it in dashes of that many columns.
struct Stroke {
    std::string colour;
    double centre, amplitude, period;
    int thickness = 1;
    int dash = 0;
};

std::vector<cv::Point> Wave(const Stroke& s, int from, int to) {
    std::vector<cv::Point> points;
    for (int x = from; x <= to; ++x)
        points.emplace_back(x, static_cast<int>(std::lround(s.centre + s.amplitude * std::sin(2 * CV_PI * x / s.period))));
    return points;
}

// Draws the strokes anti-aliased on white (red, green, blue); masks[i] holds the
// pixels stroke i alone would ink, without the pixels a later stroke covers.
cv::Mat Draw(cv::Size size, const std::vector<Stroke>& strokes, std::vector<cv::Mat>* masks) {
    cv::Mat picture(size, CV_8UC3, cv::Scalar::all(255));
    std::vector<cv::Mat> own;
    for (const Stroke& s : strokes) {
        const cv::Vec3b c = Hex(s.colour);
        cv::Mat mask(size, CV_8UC1, cv::Scalar(0));
        const int step = s.dash > 0 ? 2 * s.dash : size.width;
        for (int x = 10; x < size.width - 10; x += step) {
            const std::vector<cv::Point> wave = Wave(s, x, std::min(x + (s.dash > 0 ? s.dash : step), size.width - 10));
            cv::polylines(picture, wave, false, cv::Scalar(c[0], c[1], c[2]), s.thickness, cv::LINE_AA);
            cv::polylines(mask, wave, false, cv::Scalar(255), s.thickness, cv::LINE_8);
        }
        for (cv::Mat& earlier : own) earlier.setTo(0, mask);
        own.push_back(mask);
    }
    if (masks) *masks = own;
    return picture;
}

// The picture as the program reads it back from a JPEG of that quality.
cv::Mat JpegRoundTrip(const cv::Mat& rgb, int quality) {
    const std::string path = ::testing::TempDir() + "colour_classes.jpg";
    WriteJpeg(path, rgb.cols, rgb.rows, {3, JCS_RGB, 2, false, quality},
              [&](int y, JSAMPLE* row) { std::copy_n(rgb.ptr<uchar>(y), 3 * rgb.cols, row); });
    cv::Mat out;
    EXPECT_EQ(DecodePictureFile(path, PictureFormat::Jpeg, [&](int w, int h) { return (out = cv::Mat(h, w, CV_8UC3)).data; }),
              PictureDecode::Decoded);
    return out;
}
ProcessResult Process(const cv::Mat& picture, ColourClassing mode, std::string* log = nullptr) {
    ProcessSettings settings;
    settings.colourClassing = mode;
    StringLog quiet;
    ProcessResult r = RunProcessing(picture, settings, {0, 0, picture.cols, picture.rows}, quiet, AbortQuestion());
    if (log) *log = quiet.Text();
    return r;
}

// The most frequent class under a stroke's own pixels, and the share of those pixels in it.
std::pair<int, double> ClassUnder(const ClassedInk& ink, const cv::Mat& mask) {
    std::vector<int> count(64, 0);
    int total = 0;
    for (int y = 0; y < mask.rows; ++y)
        for (int x = 0; x < mask.cols; ++x)
            if (mask.at<uchar>(y, x)) {
                ++total;
                const int label = ink.labels.at<uchar>(y, x);
                if (label > 0) ++count[size_t(label - 1)];
            }
    const auto most = std::max_element(count.begin(), count.end());
    return {int(most - count.begin()), total ? double(*most) / total : 0};
}

// The first pixel of `own`, column by column, with none of `other` within 4 pixels.
IPoint AwayFrom(const cv::Mat& own, const cv::Mat& other) {
    for (int x = 20; x < own.cols - 20; ++x)
        for (int y = 4; y < own.rows - 4; ++y)
            if (own.at<uchar>(y, x) && cv::countNonZero(other(cv::Rect(x - 4, y - 4, 9, 9))) == 0) return {x, y};
    return kNoPoint;
}

}  // namespace

TEST(ColourClasses, EveryStrokeIsOneClassOfItsOwnAndNoPatchSpansTwo) {
    struct Case {
        const char* name;
        std::vector<Stroke> strokes;
        int jpegQuality = 0;  // 0: not compressed
    };
    const std::vector<Case> cases = {
        {"thin blue on white", {{"#1f77b4", 60, 25, 170}}},
        {"black and grey", {{"#000000", 50, 25, 170}, {"#a5a5a5", 70, 25, 110}}},
        {"red and orange crossing", {{"#d62728", 50, 20, 150}, {"#ff7f0e", 70, 20, 90, 2}}},
        {"purple and pink", {{"#9467bd", 50, 25, 150}, {"#e377c2", 70, 25, 100, 2}}},
        {"green and olive", {{"#2ca02c", 55, 25, 140}, {"#bcbd22", 65, 25, 95, 2}}},
        {"office blue and grey", {{"#4472c4", 50, 25, 150}, {"#a5a5a5", 70, 25, 120, 2}}},
        {"gold and orange", {{"#ffc000", 50, 25, 150, 2}, {"#ed7d31", 70, 25, 110, 2}}},
        {"pure blue beside magenta", {{"#0000ff", 50, 25, 150}, {"#ff00ff", 70, 25, 100}}},
        {"light pink one pixel thin", {{"#e377c2", 60, 30, 260}}},
        {"compressed magenta, blue and red", {{"#ff00ff", 35, 20, 150, 3}, {"#0000ff", 60, 20, 150, 3}, {"#ff0000", 85, 20, 150, 3}}, 75},
    };
    for (const auto& [name, strokes, jpegQuality] : cases) {
        SCOPED_TRACE(name);
        std::vector<cv::Mat> masks;
        cv::Mat picture = Draw({320, 120}, strokes, &masks);
        if (jpegQuality > 0) picture = JpegRoundTrip(picture, jpegQuality);
        const ProcessResult r = Process(picture, ColourClassing::FromPicture);
        const ClassedInk& ink = r.ink;
        EXPECT_EQ(ink.ClassCount(), int(strokes.size()));
        std::vector<int> classOf;
        for (size_t i = 0; i < masks.size(); ++i) {
            const auto [cls, share] = ClassUnder(ink, masks[i]);
            EXPECT_GE(share, 0.97) << "stroke " << i;
            EXPECT_EQ(ClassesNearColour(ink, Hex(strokes[i].colour)), std::vector<int>{cls}) << "stroke " << i;
            classOf.push_back(cls);
        }
        EXPECT_EQ(std::set<int>(classOf.begin(), classOf.end()).size(), strokes.size());
        // No patch holds more than a crossing's few pixels of another stroke's own ink.
        for (const Patch& p : r.patches) {
            std::vector<int> pixels(masks.size(), 0);
            for (const ::Run& run : p)
                for (int y = run.row1; y <= run.row2; ++y)
                    for (size_t i = 0; i < masks.size(); ++i) pixels[i] += masks[i].at<uchar>(y, run.col) ? 1 : 0;
            std::sort(pixels.begin(), pixels.end());
            if (pixels.size() > 1) { EXPECT_LE(pixels[pixels.size() - 2], 12); }
        }
        // Each stroke comes out whole: its class has ink in every column the stroke
        // inks, but for the few a crossing stroke covers.
        for (size_t i = 0; i < masks.size(); ++i) {
            std::vector<bool> covered(size_t(picture.cols), false);
            for (const Patch& p : r.patches)
                if (InClasses(ink, p, {classOf[i]}))
                    for (const ::Run& run : p) covered[size_t(run.col)] = true;
            int missing = 0;
            for (int x = 0; x < picture.cols; ++x) missing += cv::countNonZero(masks[i].col(x)) && !covered[size_t(x)];
            EXPECT_LE(missing, 3) << "stroke " << i;
        }
    }
}

// A line drawn along a black one: the row between blends both with the paper
// and goes to the colour whose share is clearly the larger, never to black.
TEST(ColourClasses, AFringeBlendingAColourWithBlackTakesTheColoursClass) {
    const cv::Vec3b orange = Hex("#ff7f0e");
    const cv::Scalar paper = cv::Scalar::all(255), ink(orange[0], orange[1], orange[2]);
    // orange's share, black's, and whether the fringe is orange's
    for (const auto& [t, u, orangeFringe] : {std::tuple{0.6, 0.25, true}, std::tuple{0.3, 0.5, false}}) {
        cv::Mat picture(80, 160, CV_8UC3, paper);
        picture.rowRange(38, 42).colRange(10, 150).setTo(cv::Scalar::all(0));
        picture.rowRange(42, 43).colRange(10, 150).setTo(paper + t * (ink - paper) - u * paper);
        picture.rowRange(43, 47).colRange(10, 150).setTo(ink);
        const ClassedInk& ink = Process(picture, ColourClassing::FromPicture).ink;
        const int orangeLabel = ClassesNearColour(ink, orange).at(0) + 1;
        EXPECT_EQ(cv::countNonZero(ink.labels.row(42) == orangeLabel), orangeFringe ? 140 : 0) << t;
    }
}

TEST(ColourClasses, AWholeClassPickTakesEveryDashAndNothingElse) {
    std::vector<cv::Mat> masks;
    const cv::Mat picture = Draw({320, 120}, {{"#ff7f0e", 60, 25, 150}, {"#1f77b4", 60, 25, 90, 1, 6}}, &masks);
    const ProcessResult r = Process(picture, ColourClassing::FromPicture);
    // A click on one dash, away from the crossing.
    const IPoint onDash = AwayFrom(masks[1], masks[0]);
    ASSERT_NE(onDash.x, -1);
    const std::vector<bool> chosen =
        CurveAt(r.patches, PatchClasses(r.ink, r.patches), std::vector<bool>(r.patches.size(), true), onDash, 2);
    int dashes = 0, foreign = 0;
    for (size_t i = 0; i < r.patches.size(); ++i) {
        if (!chosen[i]) continue;
        ++dashes;
        for (const ::Run& run : r.patches[i])
            foreign += cv::countNonZero(masks[0](cv::Rect(run.col, run.row1, 1, run.row2 - run.row1 + 1)));
    }
    EXPECT_GE(dashes, 20);  // 300 columns in dashes of 6, some cut by the orange curve
    EXPECT_EQ(foreign, 0);

    // The same pick as the window's Shift+click and Shift+right-click: one undo step each.
    FakeHost host;
    Document doc;
    doc.SetPicture(picture);
    doc.InstallResults(r, {});
    doc.ClearHistory();
    InteractionController ctl(doc, host);
    EXPECT_TRUE(ctl.ClassPick({2, 2}, false).empty());  // blank paper picks nothing
    EXPECT_EQ(ctl.ClassPick(onDash, false).size(), size_t(dashes));
    EXPECT_EQ(doc.Selection().size(), size_t(dashes));
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.Selection().empty());
    EXPECT_FALSE(doc.CanUndo());
    ASSERT_TRUE(doc.Redo());
    const IPoint onOrange = AwayFrom(masks[0], masks[1]);
    ASSERT_NE(onOrange.x, -1);
    ctl.LeftDown(onOrange, false);  // an orange stretch picked by a plain click stays
    ctl.LeftUp();
    const size_t withOrange = doc.Selection().size();
    EXPECT_GT(withOrange, size_t(dashes));
    EXPECT_EQ(ctl.ClassPick(onDash, true).size(), size_t(dashes));
    EXPECT_EQ(doc.Selection().size(), withOrange - size_t(dashes));
}

namespace {
// A straight piece of a curve: columns x0..x1, its top row y0 + slope * (x - x0), t rows thick.
Patch Piece(int x0, int x1, double y0, double slope, int t) {
    Patch p;
    for (int x = x0; x <= x1; ++x) {
        const int top = int(std::lround(y0 + slope * (x - x0)));
        p.push_back({top, x, top + t - 1});
    }
    return p;
}
}  // namespace

TEST(ColourClasses, AClickedCurveIsFollowedApartFromAnotherOfItsClass) {
    const PatchList twoLines = {Piece(0, 299, 40, 0.1, 3), Piece(0, 99, 120, 0, 3), Piece(103, 199, 120, -0.05, 3),
                                Piece(203, 299, 115, 0.1, 3)};
    PatchList dashed;
    for (int x = 0; x < 180; x += 12) dashed.push_back(Piece(x, x + 7, 60, 0, 2));
    dashed.push_back(Piece(200, 210, 10, 0, 2));  // far off the dashes, but no second curve
    // pieces (the last `ink` of them another class's), the seed, the pieces taken
    const std::tuple<const char*, PatchList, size_t, size_t, std::vector<bool>> cases[] = {
        {"the lower of two, cut twice by crossings", twoLines, 0, 1, {false, true, true, true}},
        {"the upper of two", twoLines, 0, 0, {true, false, false, false}},
        {"two crossing, each cut there: the straight course goes on",
         {Piece(0, 96, 50, 0.5, 3), Piece(104, 200, 102, 0.5, 3), Piece(0, 96, 150, -0.5, 3), Piece(104, 200, 98, -0.5, 3)},
         0, 0, {true, true, false, false}},
        {"a gap of many strokes ends the curve", {Piece(0, 299, 40, 0, 3), Piece(0, 99, 120, 0, 3), Piece(140, 299, 120, 0, 3)},
         0, 1, {false, true, false}},
        {"unless other ink covers it", {Piece(0, 299, 40, 0, 3), Piece(0, 99, 120, 0, 3), Piece(140, 299, 120, 0, 3),
                                        Piece(96, 143, 118, 0, 7)},
         1, 1, {false, true, true, false}},
        {"one dashed curve keeps every member", dashed, 0, 3, std::vector<bool>(dashed.size(), true)},
    };
    for (const auto& [what, pieces, ink, seed, taken] : cases) {
        std::vector<bool> member(pieces.size(), true);
        std::fill(member.end() - long(ink), member.end(), false);
        EXPECT_EQ(AlongCurve(pieces, member, {seed}), taken) << what;
        // A seed outside the members leaves the members as they are.
        member[seed] = false;
        EXPECT_EQ(AlongCurve(pieces, member, {seed}), member) << what;
    }
}

TEST(ColourClasses, BadPicturesGiveBoundedClassesAndALogLine) {
    cv::Mat noise(200, 240, CV_8UC3), gradient(200, 240, CV_8UC3);
    cv::randu(noise, 0, 256);
    for (int y = 0; y < gradient.rows; ++y)
        for (int x = 0; x < gradient.cols; ++x)
            gradient.at<cv::Vec3b>(y, x) = cv::Vec3b(uchar(x), uchar(y), uchar((x * y) % 256));
    const std::vector<std::pair<const char*, cv::Mat>> pictures = {
        {"one colour", cv::Mat(120, 160, CV_8UC3, cv::Scalar(40, 90, 200))},
        {"noise", noise},
        {"thousands of colours", gradient},
    };
    for (const auto& [name, picture] : pictures) {
        SCOPED_TRACE(name);
        std::string log;
        const ProcessResult r = Process(picture, ColourClassing::FromPicture, &log);
        EXPECT_LE(r.ink.ClassCount(), 16);
        EXPECT_NE(log.find("Colour classes from the picture: " + std::to_string(r.ink.ClassCount())), std::string::npos);
        for (const Patch& p : r.patches) EXPECT_LT(PatchClass(r.ink, p), r.ink.ClassCount());
    }
}

TEST(ColourClasses, LabMatchesTheImageLibrarysFloatConversion) {
    cv::Mat rgb(1, 500, CV_8UC3);
    cv::randu(rgb, 0, 256);
    rgb.at<cv::Vec3b>(0, 0) = cv::Vec3b(0, 0, 0);
    rgb.at<cv::Vec3b>(0, 1) = cv::Vec3b(255, 255, 255);
    rgb.at<cv::Vec3b>(0, 2) = cv::Vec3b(1, 2, 3);  // the linear part of the curves
    cv::Mat f, lab;
    rgb.convertTo(f, CV_32F, 1.0 / 255);
    cv::cvtColor(f, lab, cv::COLOR_RGB2Lab);
    for (int i = 0; i < rgb.cols; ++i) {
        const cv::Vec3f ours = LabOf(rgb.at<cv::Vec3b>(0, i)), theirs = lab.at<cv::Vec3f>(0, i);
        EXPECT_LT(std::sqrt(LabDistance2(ours, theirs)), 0.5f) << i;
    }
}

TEST(ColourClasses, HexColours) {
    const std::vector<std::pair<std::string, bool>> hex = {
        {"#1f77b4", true}, {"#1F77B4", true}, {"1f77b4", false}, {"#1f77b", false}, {"#1f77bg", false}, {"", false}};
    for (const auto& [text, ok] : hex) {
        cv::Vec3b rgb;
        EXPECT_EQ(ParseHexColour(text, rgb), ok) << text;
        if (ok) { EXPECT_EQ(HexColour(rgb), "#1f77b4"); }
    }
}

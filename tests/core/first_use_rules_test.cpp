// The rules a new user meets first: the export file name, the calibration
// guidance, the logarithmic-axis checks, the command line, the window's size and
// why a picture could not be read, dashes read as minus signs, and the label kind rules.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "cli_run.h"
#include "base/numbers.h"
#include "app/picture_problem.h"
#include "output/export_name.h"
#include "text/label.h"
#include "text/label_rules.h"
#include "ui/guidance.h"
#include "ui/startup_arguments.h"
#include "ui/window_layout.h"

TEST(ExportName, OfferedAndCompleted) {
    const std::pair<const char*, const char*> offered[] = {
        {"/home/u/chart.png", "chart.csv"}, {"scan.2024.tiff", "scan.2024.csv"}, {"/d.x/noext", "noext.csv"},
        {"", "data.csv"},                    {".hidden", ".hidden.csv"},          {"/pics/chart.", "chart.csv"},
    };
    for (const auto& c : offered) EXPECT_EQ(DefaultExportName(c.first), c.second) << c.first;
    const std::pair<const char*, const char*> typed[] = {
        {"/tmp/data", "/tmp/data.csv"}, {"/tmp/data.csv", "/tmp/data.csv"}, {"/tmp/data.txt", "/tmp/data.txt"},
        {"/run.1/data", "/run.1/data.csv"}, {"/tmp/.hidden", "/tmp/.hidden.csv"}, {"/tmp/data.", "/tmp/data.csv"},
        {"", ""}, {"/tmp/", "/tmp/"}, {"..", ".."},
    };
    for (const auto& c : typed) EXPECT_EQ(WithCsvExtension(c.first), c.second) << c.first;
}

TEST(Guidance, StatusBarTexts) {
    const Calibration none, xOnly{0, 10, 5, 200}, both{0, 10, 5, 200, 0, 300, 1, 20};
    const std::pair<std::string, const char*> cases[] = {
        {ModeGuidance(AxisMode::None, none, true, true), ""},
        {ModeGuidance(AxisMode::XFirst, none, false, true),
         "Click the first X reference point, a point of known X value (on the axis or a grid line). Escape cancels."},
        {ModeGuidance(AxisMode::YSecond, none, true, false),
         "Click the second Y reference point, as far from the first as possible. Escape cancels."},
        {ModeGuidance(AxisMode::YFirst, none, false, true),
         "Click the first Y reference point, a point of known Y value (on the axis or a grid line); Y is "
         "logarithmic, so values must be above zero. Escape cancels."},
        {ModeGuidance(AxisMode::XDone, xOnly, false, false), "X axis calibrated. Press Y to calibrate the Y axis."},
        {ModeGuidance(AxisMode::YDone, Calibration{0, -1, 5, -1, 0, 300, 1, 20}, false, false),
         "Y axis calibrated. Press X to calibrate the X axis."},
        {ModeGuidance(AxisMode::YDone, both, false, false),
         "X and Y axes calibrated: Export (Ctrl+S) or Copy (Ctrl+C) writes the values."},
        {AxisKindsText(true, false), "X logarithmic, Y linear"},  // the other way round in the window test
    };
    for (const auto& c : cases) EXPECT_EQ(c.first, c.second);
}

TEST(Guidance, LogarithmicAxesTakeOnlyValuesAboveZero) {
    // value, logarithmic, usable
    const std::tuple<double, bool, bool> cases[] = {{0, false, true},     {-80, false, true}, {0, true, false},
                                                    {-80, true, false},   {1e-300, true, true}, {5, true, true},
                                                    {-1e-300, true, false}};
    for (const auto& [value, log, usable] : cases) {
        EXPECT_EQ(AxisValueUsable(value, log), usable) << value << " " << log;
        EXPECT_EQ(!LogAxisValueProblem(Axis::Y, value, log), usable) << value << " " << log;
        EXPECT_EQ(!LogAxisCalibrationProblem(Axis::X, 10, value, log), usable);
        EXPECT_EQ(!LogAxisCalibrationProblem(Axis::X, value, 10, log), usable);
    }
    EXPECT_EQ(*LogAxisValueProblem(Axis::X, -80, true),
              "The X axis is logarithmic, so its values must be above zero; -80 can not be used.\n\n"
              "Type another value, or turn off the logarithmic X axis in Options.");
    EXPECT_EQ(*LogAxisCalibrationProblem(Axis::Y, 0, 10, true),
              "Y is logarithmic but a reference value is at or below zero: calibrate Y again or turn logarithmic Y "
              "off in Options");
}

TEST(StartupArguments, FirstFileOpensTheRestIsNoted) {
    using S = StartupArguments;
    struct Case {
        std::vector<std::string> args;
        S::Outcome outcome;
        std::string open;
        std::vector<std::string> unused;
    };
    const Case cases[] = {
        {{}, S::Run, "", {}},
        {{"/a/b c.png", "d.jpg", "e.bmp"}, S::Run, "/a/b c.png", {"d.jpg", "e.bmp"}},
        {{""}, S::Run, "", {}},  // a launcher's empty %f
        {{"-"}, S::Run, "-", {}},
        {{"--", "-x.png", "--help"}, S::Run, "-x.png", {"--help"}},
        {{"a.png", "--help"}, S::Help, "", {}},
        {{"-h"}, S::Help, "", {}},
        {{"--version", "a.png"}, S::Version, "", {}},
        {{"--geometry=10x10", "a.png"}, S::UsageError, "", {}},
    };
    for (const Case& c : cases) {
        const S r = ReadStartupArguments(c.args);
        EXPECT_EQ(r.outcome, c.outcome) << (c.args.empty() ? "" : c.args[0]);
        if (r.outcome == S::Run) {
            EXPECT_EQ(r.open, c.open);
            EXPECT_EQ(r.unused, c.unused);
        }
    }
    EXPECT_EQ(ReadStartupArguments({"-q"}).message, "unknown option '-q'");
    EXPECT_EQ(UnusedFilesNote({}), "");
    EXPECT_EQ(UnusedFilesNote({"d.jpg", "e.bmp"}), "Only the first file is opened; not opened: d.jpg e.bmp\n");
}

TEST(WindowLayout, SizeForThePictureAndSavedPlace) {
    struct Case {
        int pw, ph, toolbar, sw, sh, w, h;
    };
    const int m = 2 * kCanvasMargin, log = 100, dw = 10, dh = 60;
    const Case cases[] = {
        {640, 480, 1100, 1920, 1080, 1100, 480 + m + log},   // narrow picture: as wide as the toolbar
        {1500, 480, 1100, 1920, 1080, 1500 + m, 480 + m + log},
        {40000, 30000, 1100, 1920, 1080, 1920 - dw, 1080 - dh},  // never beyond the screen
        {100, 100, 1100, 800, 600, 800 - dw, 100 + m + log},    // the screen wins over the toolbar
        {100, 100, 1100, 150, 150, 200, 200},  // a tiny screen still gets a usable window
    };
    for (const Case& c : cases) {
        const ClientSize s = ClientSizeForPicture(c.pw, c.ph, c.toolbar, log, c.sw, c.sh, dw, dh);
        EXPECT_EQ(std::make_pair(s.width, s.height), std::make_pair(c.w, c.h)) << c.pw << "x" << c.ph;
    }
    // A saved place is fitted to the display.
    const WindowBox display{0, 0, 1920, 1080};
    const std::tuple<WindowBox, bool, WindowBox> saved[] = {  // saved, used, fitted
        {{100, 50, 800, 600}, true, {100, 50, 800, 600}},
        {{1800, 900, 800, 600}, true, {1120, 480, 800, 600}},  // moved back onto the display
        {{-3000, -20, 800, 600}, true, {0, 0, 800, 600}},       // a screen that is gone
        {{0, 0, 5000, 4000}, true, {0, 0, 1920, 1080}},
        {{10, 10, 50, 40}, true, {10, 10, 400, 300}},           // the minimum size
        {{10, 10, 0, 600}, false, {}},
    };
    for (const auto& [box, used, fitted] : saved) {
        WindowBox out;
        ASSERT_EQ(FitSavedWindow(box, display, 400, 300, out), used) << box.x;
        if (used) { EXPECT_EQ(out, fitted) << box.x << " " << box.y << " " << box.width; }
    }
}

TEST(PictureProblem, TheFirstBytesTellWhyAFileIsUnreadable) {
    using P = PictureProblem;
    const std::tuple<std::string, P::Kind, const char*> cases[] = {  // first bytes, kind, format named
        {std::string("\x89PNG\r\n\x1a\n\0\0", 10), P::Damaged, "PNG"},
        {"\xff\xd8\xff\xe0 cut", P::Damaged, "JPEG"},
        {"GIF89a....", P::Damaged, "GIF"},
        {std::string("II*\0", 4), P::Damaged, "TIFF"},
        {"BM\x36\x10", P::Damaged, "BMP"},
        {"P6\n640 480\n", P::Damaged, "PNM"},
        {std::string("RIFF\x10\0\0\0WEBPVP8 ", 16), P::Unsupported, "WebP"},
        {std::string("\0\0\0\x1c" "ftypavif", 12), P::Unsupported, "AVIF"},
        {std::string("\0\0\0\x18" "ftypheic", 12), P::Unsupported, "HEIC"},
        {"%PDF-1.7\n", P::Unsupported, "PDF"},
        {"<?xml version=\"1.0\"?>\n<svg xmlns=", P::Unsupported, "SVG"},
        {"8BPS", P::Unsupported, "Photoshop"},
        {"x,y\n1,2\n", P::NotAPicture, ""},
        {"<?xml version=\"1.0\"?><html>", P::NotAPicture, ""},
        {"P7 not pnm", P::NotAPicture, ""},
        {"B", P::NotAPicture, ""},
        {"", P::Empty, ""},
    };
    for (const auto& [head, kind, format] : cases) {
        const P p = ClassifyUnreadableBytes(head);
        EXPECT_EQ(std::tie(p.kind, p.format), std::tie(kind, format)) << head;
    }
}

TEST(PictureProblem, MessagesNameTheFileAndTheReason) {
    const cli_test::TempDir temp;
    const std::string& dir = temp.path();
    std::ofstream(dir + "/empty.png").close();
    std::ofstream(dir + "/notes.png") << "not a picture\n";
    std::ofstream(dir + "/cut.png", std::ios::binary) << "\x89PNG\r\n\x1a\n";
    std::ofstream(dir + "/photo.png", std::ios::binary) << std::string("RIFF\x10\0\0\0WEBPVP8 ", 16);
    const std::pair<std::string, std::string> cases[] = {
        {dir + "/missing.png", "there is no such file"},
        {dir, "it is a folder or a device, not a file"},
        {dir + "/empty.png", "the file is empty"},
        {dir + "/notes.png", "it is not a picture file"},
        {dir + "/cut.png", "the PNG picture is damaged or cut short"},
        {dir + "/photo.png", "it is in WebP format, which plotsnap does not read; save it as PNG and open that"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnreadablePictureMessage(c.first, DiagnoseUnreadablePicture(c.first)),
                  "Can not read image file " + c.first + ": " + c.second);
    PictureProblem denied{PictureProblem::CannotOpen, "", "Permission denied"};
    EXPECT_EQ(UnreadablePictureMessage("/x.png", denied),
              "Can not read image file /x.png: the file can not be opened (Permission denied)");
}

TEST(Numbers, DashesReadAsMinus) {
    // text, read as a whole number (else its leading number), value
    const std::tuple<const char*, bool, std::optional<double>> cases[] = {
        {"\xe2\x80\x94" "80", true, -80},          {"\xe2\x80\x93" "2.5", true, -2.5},
        {"\xe2\x88\x92" "1e3", true, -1000},       {"\xe2\x80\x92" "7", true, -7},
        {"1e\xe2\x88\x92" "3", true, 0.001},       {" \xe2\x80\x94" "80 kPa", false, -80},
        {"\xe2\x80\x94" "80 kPa", true, {}},       {"\xe2\x80\x94", true, {}},
        {"\xe2\x80\x90" "5", true, {}},            // a hyphen (U+2010) is no minus
        {"\xe2\x80" "80", false, {}},              // a cut dash stays unreadable
        {"-80", true, -80},                        {"80", true, 80},
    };
    for (const auto& [text, whole, value] : cases)
        EXPECT_EQ(whole ? ParseWholeNumber(text) : ParseLeadingNumber(text), value) << text;
    EXPECT_EQ(ParseLabelNumber("\xe2\x80\x94" "80"), -80);  // an OCR label of an axis value
    // A label is numeric when a number stands at its start.
    for (const char* text : {"1e3", "12 mm", " 0.5", "-3", ".25", "\xe2\x88\x92" "0.5"})
        EXPECT_TRUE(IsNumericLabelText(text)) << text;
    for (const char* text : {"abc", "", "   ", "mm 12", "-"}) EXPECT_FALSE(IsNumericLabelText(text)) << text;
}

namespace {
constexpr int T = LABEL_TEXT, TI = LABEL_TITLE, XN = LABEL_XMIN, XX = LABEL_XMAX, YN = LABEL_YMIN,
              YX = LABEL_YMAX, XL = LABEL_XLEGEND, YL = LABEL_YLEGEND;

// A real click flips the box, so the new state is the opposite of the old one.
int Click(int kinds, int bit) { return ApplyKindClick(kinds, bit, !(kinds & bit)); }

// Every state the rules allow: one exclusive kind, or at most one value per axis.
bool Allowed(int kinds) {
    const int x = kinds & (XN | XX), y = kinds & (YN | YX), exclusive = kinds & (T | TI | XL | YL);
    if (exclusive) return kinds == exclusive && (exclusive & (exclusive - 1)) == 0;
    return kinds != 0 && x != (XN | XX) && y != (YN | YX);
}
}  // namespace

TEST(LabelKindRules, ClickTable) {
    const struct {
        int before, clicked, after;
    } cases[] = {
        // An exclusive kind clears everything else.
        {XN | YN, TI, TI}, {XX | YX, T, T}, {T, XL, XL}, {XL, YL, YL},
        // Values of different axes live together; unticking one leaves the other.
        {YN, XN, XN | YN}, {XX, YX, XX | YX}, {XN | YN, XN, YN}, {XN | YX, YX, XN},
        // With one value per axis, a new value ousts its own axis's partner.
        {XN | YN, XX, XX | YN}, {XN | YN, YX, XN | YX}, {XX | YX, XN, XN | YX}, {XX | YX, YN, XX | YN},
        // Otherwise the lowest other kind gives way.
        {XN, XX, XX}, {YX, YN, YN}, {T, XN, XN}, {TI, YX, YX}, {YL, XX, XX}, {0, XN, XN}, {0, TI, TI},
    };
    for (const auto& c : cases) EXPECT_EQ(Click(c.before, c.clicked), c.after) << c.before << " clicking " << c.clicked;
    // Only kinds that were already broken could reach this: Text beside Xmin, Xmin unticked.
    EXPECT_NE(ApplyKindClick(T | XN, XN, false), 0);
    EXPECT_EQ(ApplyKindClick(0, 0, true), 0);
    EXPECT_EQ(ApplyKindClick(XN | 256, 256, true), XN);  // not a kind: ignored
}

TEST(LabelKindRules, EveryClickFromAnAllowedStateGivesAnAllowedState) {
    int checked = 0;
    for (int kinds = 1; kinds < 256; ++kinds) {
        if (!Allowed(kinds)) continue;
        for (const auto& kind : kLabelKinds) {
            const int after = Click(kinds, kind.bit);
            EXPECT_TRUE(Allowed(after)) << kinds << " clicking " << kind.name << " gave " << after;
            if (kinds == kind.bit) { EXPECT_EQ(after, kinds) << "the only ticked box stays ticked"; }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 8 * (4 + 8));  // 4 exclusive + 8 axis-value combinations
}

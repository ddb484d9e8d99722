#include "cli/cli_options.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "base/numbers.h"
#include "cli/batch.h"
#include "detect/colour_classes.h"

const char* const kUsageLine = "usage: plotsnap-cli process IMAGE [options]   (plotsnap-cli --help lists the options)";

namespace {

constexpr int kNoLimit = std::numeric_limits<int>::max();
// Picture coordinates beyond this cannot name a pixel of a picture we open, and
// keeping them small keeps every difference of two of them inside an int.
constexpr int kMaxCoordinate = 1000000000;

constexpr std::array<const char*, 6> kColourNames = {"black", "red", "green", "blue", "magenta", "yellow"};

// A whole decimal int, nothing before or after it.
std::optional<int> ParseInt(const std::string& text) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, v);
    if (text.empty() || res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return v;
}

std::optional<double> ParseFinite(const std::string& text) {
    const auto v = ParseWholeNumber(text);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return v;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::optional<std::vector<int>> ParseInts(const std::string& text, size_t count) {
    const auto parts = Split(text, ',');
    if (parts.size() != count) return std::nullopt;
    std::vector<int> out;
    for (const std::string& p : parts) {
        const auto v = ParseInt(p);
        if (!v || *v < -kMaxCoordinate || *v > kMaxCoordinate) return std::nullopt;
        out.push_back(*v);
    }
    return out;
}

struct CalibrationPair {
    int pixel1, pixel2;
    double value1, value2;
};

// "P1=V1,P2=V2": two whole non-negative pixels and two finite values.
std::optional<CalibrationPair> ParseCalibration(const std::string& text) {
    const auto points = Split(text, ',');
    if (points.size() != 2) return std::nullopt;
    int pixels[2];
    double values[2];
    for (int i = 0; i < 2; ++i) {
        const auto sides = Split(points[i], '=');
        if (sides.size() != 2) return std::nullopt;
        const auto px = ParseInt(sides[0]);
        const auto v = ParseFinite(sides[1]);
        if (!px || *px < 0 || *px > kMaxCoordinate || !v) return std::nullopt;
        pixels[i] = *px;
        values[i] = *v;
    }
    return CalibrationPair{pixels[0], pixels[1], values[0], values[1]};
}

}  // namespace

const char* ReferenceColourName(int index) {
    return index >= 0 && index < static_cast<int>(kColourNames.size()) ? kColourNames[index] : "unknown";
}

int ReferenceColourIndex(const std::string& name) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < kColourNames.size(); ++i)
        if (lower == kColourNames[i]) return static_cast<int>(i);
    return -1;
}

std::string HelpText() {
    return std::string(
               "plotsnap-cli: turn a picture of a chart into numbers, without a window.\n"
               "\n"
               "usage: plotsnap-cli process IMAGE [options]\n"
               "\n"
               "Processing (defaults are the program's own preference defaults):\n"
               "  --manual-threshold        binarise at a fixed grey level instead of per channel\n"
               "  --threshold N             that grey level, 0..255 (default 160)\n"
               "  --min-patch-size N        smallest patch kept, N >= 0 (default 3)\n"
               "  --remove-grid             erase grid lines before grouping\n"
               "  --grid-width N            grid line width, 0..99 (default 2)\n"
               "  --plot-rect L,T,R,B       process only this rectangle instead of the detected frame\n"
               "  --list-patches            print every patch as one JSON object per line and stop\n"
               "  --reference-colours       class ink by six fixed reference colours instead of the\n"
               "                            colours found in the picture\n"
               "\n"
               "Picking, applied in the order given, to the current graph (graph 0 first):\n"
               "  --pick X,Y                add the patches a click at pixel (X, Y) would add\n"
               "  --curve X,Y               add the curve a Shift+click at pixel (X, Y) would add: the\n"
               "                            patches of its colour class along that curve\n"
               "  --band L,T,R,B            add the patches a left rubber band would add\n"
               "  --colour NAME|#rrggbb     add every patch of one colour class: the class nearest\n"
               "                            #rrggbb, or the classes nearest a reference colour: ") +
           "black, red, green, blue, magenta, yellow\n"
           "  --graph                   start the next graph\n"
           "\n"
           "Calibration (pixel = value, two points per axis):\n"
           "  --x PX1=V1,PX2=V2         image columns of two known X values\n"
           "  --y PY1=V1,PY2=V2         image rows of two known Y values\n"
           "  --log-x, --log-y          logarithmic axis\n"
           "  --default-scales          use pixel units for an axis that is missing or too small\n"
           "  --auto-calibrate          read the axes not given by --x / --y from their tick labels\n"
           "\n"
           "Output:\n"
           "  --common-x, --no-common-x one X column for all graphs (default on)\n"
           "  --filter, --no-filter     thin curves to one-pixel lines (default on)\n"
           "  --bridge, --no-bridge     fill a thinned curve's gap where another curve crosses or hides it (default on)\n"
           "  -o FILE, --output FILE    write the CSV to FILE (replaced whole) instead of standard output\n"
           "\n"
           "Projects (the window opens them too):\n"
           "  --save-project FILE       also save the picture, settings, picks and calibration as FILE\n"
           "  plotsnap-cli export PROJECT [-o FILE]\n"
           "                            write a project's CSV, as the window's Export does\n"
           "  plotsnap-cli process IMAGE... --project PROJECT -o DIR [-j N]\n"
           "                            apply a project's set-up to pictures of the same layout, one CSV\n"
           "                            per picture into DIR, N at a time (default: one per core);\n"
           "                            exit code 6 when any picture failed\n"
           "\n"
           "Progress lines go to standard error; standard output carries only the CSV or the patch list.\n"
           "Exit codes: 0 success, 1 output not written, 2 wrong usage, 3 unreadable picture,\n"
           "4 nothing picked, 5 calibration refused.\n";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    CliOptions& o = result.options;
    auto fail = [&](const std::string& why) {
        result.outcome = ParsedCommandLine::UsageError;
        result.error = why;
        return result;
    };

    if (args.empty()) return fail("no command given");
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        result.outcome = ParsedCommandLine::Help;
        return result;
    }
    if (args[0] == "--version") {
        result.outcome = ParsedCommandLine::Version;
        return result;
    }
    if (args[0] == "export") o.exportCommand = true;
    else if (args[0] != "process") return fail("unknown command '" + args[0] + "' (the commands are 'process' and 'export')");

    using Flag = std::function<void()>;
    const std::map<std::string, Flag> flags = {
        {"--manual-threshold", [&] { o.process.manualThreshold = true; }},
        {"--remove-grid", [&] { o.process.removeGrid = true; }},
        {"--reference-colours", [&] { o.process.colourClassing = ColourClassing::ReferenceColours; }},
        {"--reference-colors", [&] { o.process.colourClassing = ColourClassing::ReferenceColours; }},
        {"--list-patches", [&] { o.listPatches = true; }},
        {"--graph",
         [&] {
             PickStep s;
             s.kind = PickStep::NextGraph;
             s.text = "--graph";
             o.picks.push_back(s);
         }},
        {"--log-x", [&] { o.logX = true; }},
        {"--log-y", [&] { o.logY = true; }},
        {"--default-scales", [&] { o.defaultScales = true; }},
        {"--auto-calibrate", [&] { o.autoCalibrate = true; }},
        {"--common-x", [&] { o.commonX = true; }},
        {"--no-common-x", [&] { o.commonX = false; }},
        {"--filter", [&] { o.filter = true; }},
        {"--no-filter", [&] { o.filter = false; }},
        {"--bridge", [&] { o.bridge = true; }},
        {"--no-bridge", [&] { o.bridge = false; }},
    };

    // Each valued option checks its text and returns an error, empty when accepted.
    using Valued = std::function<std::string(const std::string& name, const std::string& value)>;
    auto intIn = [](int lo, int hi, int& target) -> Valued {
        return [lo, hi, &target](const std::string& name, const std::string& value) -> std::string {
            const auto v = ParseInt(value);
            if (!v || *v < lo || *v > hi)
                return name + " needs a whole number from " + std::to_string(lo) +
                       (hi == kNoLimit ? " up" : " to " + std::to_string(hi)) + ", not '" + value + "'";
            target = *v;
            return {};
        };
    };
    // A pick at one pixel: a click, or a Shift+click's whole curve.
    auto point = [&o](PickStep::Kind kind) -> Valued {
        return [kind, &o](const std::string& name, const std::string& value) -> std::string {
            const auto v = ParseInts(value, 2);
            if (!v) return name + " needs X,Y (two whole numbers), not '" + value + "'";
            PickStep s;
            s.kind = kind;
            s.point = {(*v)[0], (*v)[1]};
            s.text = name + " " + value;
            o.picks.push_back(s);
            return {};
        };
    };
    int minPatchSize = static_cast<int>(o.process.minPatchSize);
    bool minPatchSizeGiven = false;
    const std::map<std::string, Valued> valued = {
        {"--threshold", intIn(0, 255, o.process.threshold)},
        {"--min-patch-size",
         [&](const std::string& name, const std::string& value) {
             minPatchSizeGiven = true;
             return intIn(0, kNoLimit, minPatchSize)(name, value);
         }},
        {"--grid-width", intIn(0, 99, o.process.gridWidth)},
        {"--plot-rect",
         [&](const std::string& name, const std::string& value) -> std::string {
             const auto v = ParseInts(value, 4);
             if (!v) return name + " needs L,T,R,B (four whole numbers), not '" + value + "'";
             const IRect r{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
             if (r.left < 0 || r.top < 0) return name + " must start inside the picture, not at " + value;
             if (r.right <= r.left || r.bottom <= r.top)
                 return name + " must have R > L and B > T, not '" + value + "'";
             o.plotRect = r;
             return {};
         }},
        {"--pick", point(PickStep::Point)},
        {"--curve", point(PickStep::Curve)},
        {"--band",
         [&](const std::string& name, const std::string& value) -> std::string {
             const auto v = ParseInts(value, 4);
             if (!v) return name + " needs L,T,R,B (four whole numbers), not '" + value + "'";
             const IRect r{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
             if (r.right < r.left || r.bottom < r.top)
                 return name + " has a negative size: R must be >= L and B >= T in '" + value + "'";
             PickStep s;
             s.kind = PickStep::Band;
             s.band = r;
             s.text = name + " " + value;
             o.picks.push_back(s);
             return {};
         }},
        {"--colour",
         [&](const std::string& name, const std::string& value) -> std::string {
             const int c = ReferenceColourIndex(value);
             PickStep s;
             if (c < 0 && !ParseHexColour(value, s.rgb))
                 return "unknown colour '" + value + "' for " + name +
                        " (black, red, green, blue, magenta, yellow or #rrggbb)";
             s.kind = PickStep::Colour;
             s.colour = c;
             s.text = name + " " + value;
             o.picks.push_back(s);
             return {};
         }},
        {"--x",
         [&](const std::string& name, const std::string& value) -> std::string {
             const auto c = ParseCalibration(value);
             if (!c) return name + " needs PX1=V1,PX2=V2 (pixel columns >= 0, numeric values), not '" + value + "'";
             o.calibration.xPixel1 = c->pixel1;
             o.calibration.xValue1 = c->value1;
             o.calibration.xPixel2 = c->pixel2;
             o.calibration.xValue2 = c->value2;
             return {};
         }},
        {"--y",
         [&](const std::string& name, const std::string& value) -> std::string {
             const auto c = ParseCalibration(value);
             if (!c) return name + " needs PY1=V1,PY2=V2 (pixel rows >= 0, numeric values), not '" + value + "'";
             o.calibration.yPixel1 = c->pixel1;
             o.calibration.yValue1 = c->value1;
             o.calibration.yPixel2 = c->pixel2;
             o.calibration.yValue2 = c->value2;
             return {};
         }},
        {"-o",
         [&](const std::string& name, const std::string& value) -> std::string {
             // "-o --graph" is far more likely a forgotten file name than a file called --graph.
             if (value.empty() || (value[0] == '-' && value != "-"))
                 return name + " needs a file name, not '" + value + "' (write ./" + value + " for such a file)";
             o.outputPath = value == "-" ? std::string() : value;
             return {};
         }},
        {"--save-project", [&](const std::string&, const std::string& value) { o.saveProjectPath = value; return std::string(); }},
        {"--project", [&](const std::string&, const std::string& value) { o.projectPath = value; return std::string(); }},
        {"-j", intIn(1, 256, o.jobs)},
    };
    auto lookupValued = [&](const std::string& name) -> const Valued* {
        const std::string key = name == "--output" ? "-o" : name == "--color" ? "--colour" : name == "--jobs" ? "-j" : name;
        const auto it = valued.find(key);
        return it == valued.end() ? nullptr : &it->second;
    };

    bool listConflict = false;
    std::string conflictingOption;
    std::vector<std::string> given;  // option names, for the project rules below
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            result.outcome = ParsedCommandLine::Help;
            return result;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::string name = arg, value;
            bool hasValue = false;
            const size_t eq = arg.find('=');
            if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                hasValue = true;
            }
            if (const auto f = flags.find(name); f != flags.end()) {
                if (hasValue) return fail(name + " takes no value");
                f->second();
            } else if (const Valued* v = lookupValued(name)) {
                if (!hasValue) {
                    if (i + 1 >= args.size()) return fail(name + " needs a value");
                    value = args[++i];
                }
                const std::string why = (*v)(name, value);
                if (!why.empty()) return fail(why);
            } else {
                return fail("unknown option '" + name + "'");
            }
            given.push_back(name);
            static const char* const kNotForList[] = {"--pick",  "--curve", "--band",  "--colour", "--color", "--graph",
                                                      "--x",     "--y",     "--log-x",  "--log-y", "--default-scales", "--auto-calibrate",
                                                      "-o",      "--output"};
            for (const char* n : kNotForList)
                if (name == n) {
                    listConflict = true;
                    if (conflictingOption.empty()) conflictingOption = name;
                }
            continue;
        }
        if (!o.imagePath.empty()) o.moreImages.push_back(arg);
        else o.imagePath = arg;
    }
    if (const std::string why = ProjectOptionsProblem(o, given); !why.empty()) return fail(why);
    if (o.imagePath.empty()) return fail("no IMAGE given");
    if (o.listPatches && listConflict)
        return fail("--list-patches prints the patches only; it cannot be combined with " + conflictingOption);
    if (minPatchSizeGiven) o.process.minPatchSize = static_cast<unsigned>(minPatchSize);
    result.outcome = ParsedCommandLine::Run;
    return result;
}

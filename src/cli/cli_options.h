#pragma once
// The command line of plotsnap-cli as a plain value object, and its parser.
#include <optional>
#include <string>
#include <vector>

#include "base/common.h"
#include "detect/process.h"
#include "output/mapping.h"

// One picking step, applied in command-line order to the current graph slot.
struct PickStep {
    enum Kind { Point, Band, Colour, Curve, NextGraph };
    Kind kind = Point;
    IPoint point;     // Point, Curve: the clicked pixel
    IRect band;       // Band: as given, left <= right and top <= bottom
    int colour = -1;  // Colour: index into kReferenceColours, or -1 when given as #rrggbb
    cv::Vec3b rgb;    // Colour: the #rrggbb given
    std::vector<int> classes;  // Colour: the picture's classes it names, once they are known
    std::string text; // the option as typed, for messages
};

struct CliOptions {
    std::string imagePath;
    ProcessSettings process;  // the window's start-up defaults unless changed
    IRect plotRect = kNoRect; // the user's plot rectangle; unset = detect the frame
    bool listPatches = false;

    std::vector<PickStep> picks;

    Calibration calibration;  // pixels -1 where not given
    bool logX = false;
    bool logY = false;
    bool defaultScales = false;
    bool autoCalibrate = false;  // axes not given by --x / --y come from the tick labels

    bool commonX = true;
    bool filter = true;
    bool bridge = true;
    std::string outputPath;  // empty: standard output

    // Project files: "export PROJECT", "process IMG --save-project FILE" and the
    // batch "process IMG... --project PROJECT -o DIR".
    bool exportCommand = false;           // imagePath names the project to export
    std::string saveProjectPath;
    std::string projectPath;              // the batch's set-up; outputPath is then a folder
    std::vector<std::string> moreImages;  // the batch's pictures after imagePath
    int jobs = 0;                         // pictures processed at once; 0 = one per core
};

struct ParsedCommandLine {
    enum Outcome { Run, Help, Version, UsageError };
    Outcome outcome = UsageError;
    CliOptions options;
    std::string error;  // one line, for UsageError
};

// Parses argv[1..]. Never throws; anything it cannot use is a UsageError with a
// one-line explanation.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The short form shown after a usage error, and the full help text.
extern const char* const kUsageLine;
std::string HelpText();

// "black", "red", ... for an index into kReferenceColours.
const char* ReferenceColourName(int index);
// Index of a colour name (any letter case), or -1.
int ReferenceColourIndex(const std::string& name);

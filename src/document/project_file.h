#pragma once
// The project file: what a user needs to come back to a chart later, or to
// digitize more pictures of the same layout. JSON with a format version; the
// picture is embedded as PNG so the file still works after it is moved.
#include <opencv2/core.hpp>

#include <optional>
#include <string>
#include <vector>

#include "base/common.h"
#include "detect/process.h"
#include "detect/types.h"
#include "document/calibration.h"
#include "text/label.h"

inline constexpr int kProjectFormatVersion = 1;
inline constexpr const char* kProjectExtension = ".plotsnap";
// Larger files are refused before a byte is read: a project holding the largest
// picture we open, as PNG, stays well below this.
inline constexpr long long kMaxProjectBytes = 512LL * 1024 * 1024;

// One picked patch. The runs restore it exactly; the seed pixel and its class
// colour find it again in a reprocessed or another picture of the same layout.
struct ProjectPick {
    IPoint seed;                // a pixel of the patch
    cv::Vec3b colour{0, 0, 0};  // colour of its class: red, green, blue
    Patch runs;
    bool operator==(const ProjectPick& o) const { return seed == o.seed && colour == o.colour && runs == o.runs; }
};

struct ProjectGraph {
    std::vector<ProjectPick> picks;
    bool operator==(const ProjectGraph& o) const { return picks == o.picks; }
};

struct ProjectOutput {
    bool lineFiltering = true;
    bool commonXAxis = true;
    bool operator==(const ProjectOutput& o) const {
        return lineFiltering == o.lineFiltering && commonXAxis == o.commonXAxis;
    }
};

struct Project {
    cv::Mat picture;  // 8-bit, three channels, red, green, blue
    ProcessSettings process;
    bool processed = false;           // the picture had been processed when saved
    IRect plotRect = kNoRect;         // the user's plot rectangle; unset: the frame is detected
    std::vector<ProjectGraph> graphs{1};  // at least one slot
    int currentGraph = 0;
    Calibration calibration;
    bool logX = false, logY = false;
    // Text, place, extent, orientation and kind are kept; where a label was last drawn is not.
    std::vector<TextLabel> labels;
    ProjectOutput output;
};

// The file's bytes. Throws std::invalid_argument when the picture is not 8-bit
// three-channel or a graph index is out of range.
std::string ProjectToText(const Project& project);

// Either a project or the message that says why the file cannot be used.
struct ProjectRead {
    std::optional<Project> project;
    std::string message;
};

// Checks everything before it returns a project: format, version, every type and
// range, and the embedded picture's size before it is decoded.
ProjectRead ProjectFromText(const std::string& text);

// Refuses a file larger than kMaxProjectBytes before reading it.
ProjectRead ReadProjectFile(const std::string& path);

// Saved atomically: an existing file is replaced whole or left as it was.
bool WriteProjectFile(const std::string& path, const Project& project, std::string* error);

#pragma once
// Preparing an export: checking the calibration (offering default scales), and
// turning each picked graph into its sorted point list.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "detect/thinning.h"
#include "detect/types.h"
#include "output/mapping.h"

struct ExportSettings {
    bool logX = false;
    bool logY = false;
    bool thin = true;     // one point per column and stroke of the thinned curve
    bool commonX = true;  // one X column shared by all graphs
    bool bridge = true;   // thinned curves: interpolate across crossings hidden by other curves
    int imageHeight = 0;
    int imageWidth = 0;
    // The document picture (8-bit RGB); when given, thinned points move to the
    // sub-pixel centres of their strokes read from it.
    cv::Mat picture;
};

// The questions preparation may put to the user; the window answers with
// message boxes, the command-line tool from its options, tests from a script.
class ExportQuestions {
public:
    virtual ~ExportQuestions() = default;
    // A Yes/No question with the caption "Export data"; true for Yes.
    virtual bool AskYesNo(const std::string& message) = 0;
    // A message with an OK button.
    virtual void ShowError(const std::string& message, const std::string& caption) = 0;
};

// Everything the text writer needs.
struct ExportTable {
    std::vector<PointList> graphs;         // one sorted point list per graph, graph order
    size_t longest = 0;                    // length of the longest point list
    std::vector<int> columns;              // every column holding a point of any graph (x rounded), ascending
    std::vector<std::map<int, double>> lookups;  // common X only: per graph, column -> topmost row there
    Calibration calibration;         // with any default scales applied
    int yOffset = 0;
    bool logX = false;
    bool logY = false;
    bool commonX = true;
};

// Drops graphs without patches, checks the calibration (asking whether to use
// default scales where it is not set or too small), refuses a logarithmic axis
// with a value at or below zero, and builds the table. Returns nullopt after
// telling the user through q. *repaintWanted (may be null) is set to whether the
// canvas should repaint afterwards: always, except when there was no graph.
// The default scales give pixel units: X = column + 0.5 and Y = image height -
// row - 0.5 (counted up from the bottom edge); they are refused on a
// logarithmic axis.
std::optional<ExportTable> PrepareExport(const std::vector<PatchList>& graphs, Calibration cal,
                                         const ExportSettings& settings, ExportQuestions& q, bool* repaintWanted);

#pragma once
// Which patches of a colour belong to its curve. A whole-curve pick takes the
// patches that continue one another end to end (dashes, pieces cut by crossings
// or hidden under other ink) and leaves out legends and what is drawn over the
// plot: text and numbers (short, folded strokes) and arrows (one straight stroke
// with a head) that stand apart from the curve's course. Short straight pieces
// that join nothing are kept: they are more often bits of the curve.
#include <opencv2/core.hpp>

#include <vector>

#include "detect/legend.h"
#include "detect/types.h"

enum class PatchRole { Curve, Legend, Annotation };

struct AnnotationSettings {
    // A chain of pieces shorter than this share of the class's longest chain, and
    // of the plot area's larger side, stands apart from the curve.
    double minChainShare = 0.25;
    double minPlotShare = 0.2;
    double joinAngleDegrees = 50;    // ends closer than a stroke or two
    double hiddenAngleDegrees = 25;  // ends joined across other ink
    double maxHiddenShare = 0.35;    // of the plot area's width
    double hiddenLengths = 100;      // and a hundred lengths of the shorter piece
    double hiddenCover = 0.8;        // share of a hidden gap that other ink must cover
    int minMarkers = 8;              // this many alike folded shapes are a scatter's markers
    // Each class is one ink (classes learned from the picture): a chain of dashes
    // beside another curve of its class is a dashed curve of that colour, not writing.
    bool oneInkPerClass = false;
};

// One role per patch. `classes` gives each patch's colour class (parallel to
// `patches`); pieces only join pieces of their own class, and only the patches of
// other classes, and legends, can hide a stretch of a curve. A class whose pieces
// are all alike (scatter markers) keeps them all.
std::vector<PatchRole> ClassifyPatches(const PatchList& patches, const std::vector<int>& classes,
                                       const std::vector<Legend>& legends, const PlotArea& area,
                                       const AnnotationSettings& settings = {});

// Per patch, whether it is part of a curve: neither a legend entry found in the
// picture nor drawn over the plot. What a whole-curve pick may take.
std::vector<bool> CurvePatches(const cv::Mat& rgb, const PatchList& patches, const std::vector<int>& classes,
                               const PlotArea& area, const AnnotationSettings& settings = {});

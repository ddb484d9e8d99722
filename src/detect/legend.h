#pragma once
// Legends: short line samples in a curve's colour with text beside them, stacked
// in a column or a row and often inside a box, anywhere in the picture. Found so
// that whole-curve picks can leave them out and graphs can be named after them.
#include <opencv2/core.hpp>

#include <functional>
#include <string>
#include <vector>

#include "detect/types.h"
#include "text/ocr.h"

struct LegendSettings {
    int minSampleLength = 10;     // px; shorter strokes are dashes or ticks
    double maxSampleShare = 0.2;  // of the picture's width
    int maxSampleThickness = 9;   // px
    int minTextHeight = 5;        // px
    int maxTextHeight = 48;       // px
    double alignTolerance = 3;    // px between the sample lefts (or rows) of one legend
};

struct LegendEntry {
    cv::Rect sample;  // the line sample, image pixels
    cv::Rect text;    // the text beside it
    cv::Vec3b rgb;    // the sample's ink colour (red, green, blue)
    std::string name; // the text as read; empty until read
};

struct Legend {
    cv::Rect region;  // the box when one is drawn, else the entries' extent plus a margin
    bool boxed = false;
    std::vector<LegendEntry> entries;  // top to bottom, then left to right
};

// Ink for the legend search: dark or strongly coloured pixels of an RGB picture
// (255 = ink).
cv::Mat LegendInkMask(const cv::Mat& rgb);

// Legends of an 8-bit RGB picture. Two or more aligned entries make a legend; a
// single entry only when a box encloses it. Throws cv::Exception on another type.
std::vector<Legend> FindLegends(const cv::Mat& rgb, const LegendSettings& settings = {});

// Reads each entry's text with `read` (the area, padded, in image pixels), keeping
// one line with single blanks.
void ReadLegendNames(std::vector<Legend>& legends, const std::function<std::string(const cv::Rect&)>& read);

// The OCR engine as the reader for ReadLegendNames: the text labels it finds in the
// area, joined by blanks.
std::string ReadTextArea(OcrEngine& engine, const cv::Mat& rgb, const cv::Rect& area,
                         const std::vector<double>& channelThresholds);

// Ink colour of a set of patches in the picture: the mean of their strongest
// pixels (darkest or most saturated), so anti-aliased edges do not pale it.
cv::Vec3b PatchesInkColour(const cv::Mat& rgb, const PatchList& patches);

// A name per graph: the entry whose sample colour is nearest the graph's ink
// colour, each entry naming at most one graph, nearest pairs first; empty where no
// entry is within `maxDistance` (CIE76 Lab units) or the entry has no name.
std::vector<std::string> NameGraphs(const cv::Mat& rgb, const std::vector<PatchList>& graphs,
                                    const std::vector<Legend>& legends, double maxDistance = 40);

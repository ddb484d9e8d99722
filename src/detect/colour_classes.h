#pragma once
// Colour classes learned from the picture: the distinct ink colours a chart was
// drawn with, and the classing of every ink pixel by the ink that explains it.
#include "base/log_sink.h"
#include "detect/colour.h"
#include "detect/types.h"

#include <opencv2/core.hpp>

#include <string>
#include <vector>

// How ink pixels are put into colour classes.
enum class ColourClassing {
    FromPicture,       // the inks found in the picture
    ReferenceColours,  // the six fixed reference colours
};

// One learned ink.
struct InkClass {
    cv::Vec3b rgb;       // the ink at full strength, red, green, blue
    cv::Vec3f lab;       // the same as CIE Lab (L 0..100)
    size_t corePixels = 0;
};

struct ColourClasses {
    cv::Vec3b background{255, 255, 255};  // red, green, blue
    std::vector<InkClass> inks;            // most core pixels first
    // The learned class of each core colour, by bins of 5 bits per channel (-1: none seen).
    std::vector<int> binClass;
};

struct ClassLearning {
    int maxClasses = 16;
    // Inks closer than this (CIE76 in Lab) are one ink.
    float mergeDistance = 10.f;
    // A core pixel is at least this share of the strongest ink around it (3 x 3).
    float coreShare = 0.8f;
    // A lighter cluster lying within this distance (RGB) of a stronger cluster's
    // blend line joins it when their core pixels touch often enough.
    float blendDistance = 24.f;
    float touchShare = 0.1f;
    // So does a cluster of the same hue (within shadeHue degrees), chroma of at
    // least shadeSaturation of the other's (and shadeChroma) and within
    // shadeDistance (CIE76): the darkened edge of a compressed picture's line.
    float shadeHue = 4.f;
    float shadeSaturation = 0.8f;
    float shadeChroma = 30.f;
    float shadeDistance = 25.f;
    // A cluster with fewer core pixels than this share of all (and than
    // minCorePixels) is noise and is classed with its nearest cluster.
    float minShare = 0.002f;
    size_t minCorePixels = 12;
    // A cluster smaller than this share of the largest whose core pixels touch
    // other clusters' this often (per core pixel) is a mixture of those inks.
    float mixtureSize = 0.25f;
    float mixtureTouch = 0.3f;
    // Growing a class into pixels binarisation or grid removal left out: at least
    // this share of the ink's strength, at most this many pixels from the map's
    // ink; neutral inks (Lab chroma below neutralChroma), which grid lines share,
    // only across an edge.
    float growStrength = 0.5f;
    int growSteps = 512;
    int neutralGrowSteps = 2;
    float neutralChroma = 12.f;
};

// CIE Lab (D65, L 0..100) of an 8-bit sRGB colour, computed directly: no
// conversion tables to set up.
cv::Vec3f LabOf(const cv::Vec3b& rgb);
// Squared CIE76 distance.
float LabDistance2(const cv::Vec3f& a, const cv::Vec3f& b);
// CIE94 distance of `found` from the colour `wanted` (graphic-arts weights): a
// hue shift counts for more than a loss of saturation, which thin lines and JPEG
// pictures show.
float HueAwareDistance(const cv::Vec3f& wanted, const cv::Vec3f& found);

// "#rrggbb" and back; false for anything else.
std::string HexColour(const cv::Vec3b& rgb);
bool ParseHexColour(const std::string& text, cv::Vec3b& rgb);

// The reference colour (index into kReferenceColours) nearest to an sRGB colour,
// by the reference classing's own distance on its 8-bit Lab.
int NearestReferenceOfRgb(const cv::Vec3b& rgb);

// The paper: the most frequent colour (sampled) of the pixels around the map's
// ink that are not ink; white when every one is.
cv::Vec3b PaperColour(const cv::Mat& image, const DetectionMap& map);

// Marks as ink (0) every pixel of the area whose colour is at least `minStrength`
// (mean channel difference) from the paper, the most frequent colour of the
// area's background: light inks the channel levels leave out, such as a grey
// curve beside black ones. The binary must be 8-bit, the image 8-bit RGB.
void AddFaintInk(cv::Mat& binary, const cv::Mat& image, const PlotArea& area, int minStrength = 40);

// Learns the inks of the map's pixels (the picture's colours, bytes reversed as
// BuildDetectionMap stores them) in `image` (8-bit RGB): the pixels that are the
// strongest ink in their 3 x 3 neighbourhood are clustered in Lab; clusters that
// are one ink at different strengths (a thin anti-aliased line's centres) are
// joined. At most settings.maxClasses inks; none for an empty map.
ColourClasses LearnColourClasses(const cv::Mat& image, const DetectionMap& map,
                                 const ClassLearning& settings = ClassLearning());

// Classes every map pixel by the ink that explains it: a pixel is taken as a
// blend of an ink with the background, and of the inks whose strongest pixels
// lie around it, the one whose blend comes closest wins. Fills `labels` (the
// image's size, 8-bit) with 0 and, at map pixels, k + 1 for class k. Ink that
// no class explains takes the label (number of classes) + 1.
void ClassByInk(cv::Mat& labels, const cv::Mat& image, const DetectionMap& map, const ColourClasses& classes,
                const ClassLearning& settings = ClassLearning());

// Extends every class into the pixels binarisation left out of a thin or light
// line: a pixel of `area` next to class k that is a blend of ink k with the paper
// at settings.growStrength or more joins class k in `labels`, up to
// settings.growSteps pixels from the map's ink (neutralGrowSteps for black and
// greys). The map is not changed (grouping
// reaches the grown pixels from their ink). Returns the number of pixels added.
size_t GrowClasses(cv::Mat& labels, const cv::Mat& image, const DetectionMap& map, const PlotArea& area,
                   const ColourClasses& classes, const ClassLearning& settings = ClassLearning());

// "Colour classes from the picture: 3 (#1f77b4, #ff7f0e, #2ca02c)\n".
std::string ColourClassesLogLine(const ColourClasses& classes);

// What the colour pass leaves for picking: the classing used, the learned inks
// and the class of every ink pixel of the plot area.
struct ClassedInk {
    ColourClassing mode = ColourClassing::FromPicture;
    ColourClasses classes;  // empty under the reference colours
    cv::Mat labels;         // 8-bit, the image's size: 0 no ink, k + 1 for class k
                            // (the reference index under the reference colours)
    int ClassCount() const;
    // The class's colour as red, green, blue (a reference colour's own sRGB).
    cv::Vec3b Colour(int cls) const;
};

// Classes the map by the chosen classing and fills `ink`, whose labels grouping
// then reads. Logs the inks found.
void ClassColours(const cv::Mat& image, DetectionMap& map, const PlotArea& area, ColourClassing mode,
                  ClassedInk& ink, LogSink& log);

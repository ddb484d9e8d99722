#pragma once
// The persistent settings as a plain value object. Reading and writing
// the configuration store is the window layer's job; the keys and defaults live here.
#include <string>

struct Preferences {
    bool whiteBackground = false;
    bool logScaleX = false;
    bool logScaleY = false;
    int minPatchSize = 3;
    int lineFiltering = 1;
    bool manualThreshold = false;
    int threshold = 160;
    bool showTooltips = true;
    bool commonXAxis = true;
    bool autoCalibrate = true;  // calibrate from the tick labels after Process when no axis is set
    bool referenceColours = false;  // class ink by the six reference colours, not the picture's own
    bool bridgeCrossings = true;    // thinned curves are bridged where another curve crosses or hides them
};

// Configuration keys, in the order they are read and written.
namespace PrefKeys {
inline constexpr const char* WhiteBackground = "Preferences/White background";
inline constexpr const char* LogScaleX = "Preferences/Logarithmic scale X";
inline constexpr const char* LogScaleY = "Preferences/Logarithmic scale Y";
inline constexpr const char* MinPatchSize = "Preferences/Minimum patch size";
inline constexpr const char* LineFiltering = "Preferences/Thinning filtering";
inline constexpr const char* ManualThreshold = "Preferences/Manual threshold";
inline constexpr const char* Threshold = "Preferences/Threshold value";
inline constexpr const char* ShowTooltips = "Preferences/Show tooltips";
inline constexpr const char* CommonXAxis = "Preferences/Common X axis";
inline constexpr const char* AutoCalibrate = "Preferences/Calibrate from tick labels";
inline constexpr const char* ReferenceColours = "Preferences/Six reference colours";
inline constexpr const char* BridgeCrossings = "Preferences/Bridge crossings";
}  // namespace PrefKeys

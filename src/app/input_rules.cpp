#include "app/input_rules.h"

#include <algorithm>
#include <climits>

int StoredInt(long value) { return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)); }

Preferences ClampPreferences(Preferences p) {
    p.minPatchSize = std::max(p.minPatchSize, 0);
    p.threshold = std::clamp(p.threshold, 0, 255);
    p.lineFiltering = p.lineFiltering != 0;
    return p;
}

ProcessSettings ProcessSettingsFor(const Preferences& prefs, bool removeGrid, int gridWidth) {
    ProcessSettings settings;
    settings.manualThreshold = prefs.manualThreshold;
    settings.threshold = prefs.threshold;
    settings.minPatchSize = unsigned(prefs.minPatchSize);
    settings.removeGrid = removeGrid;
    settings.gridWidth = gridWidth;
    settings.keepBinary = prefs.whiteBackground;
    settings.colourClassing = prefs.referenceColours ? ColourClassing::ReferenceColours : ColourClassing::FromPicture;
    return settings;
}

std::string PlotRectProblem(const IRect& rect, int width, int height) {
    if (rect.left >= 0 && rect.top >= 0 && rect.left < width && rect.top < height && rect.right > rect.left &&
        rect.bottom > rect.top)
        return {};
    return "the plot rectangle " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom) + " lies outside the " +
           std::to_string(width) + " x " + std::to_string(height) + " picture";
}

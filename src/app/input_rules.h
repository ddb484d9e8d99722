#pragma once
// Rules for values that come from outside the program (the configuration file, the
// command line) before they reach processing.
#include <string>

#include "base/common.h"
#include "app/preferences.h"
#include "detect/process.h"

// A stored integer as an int: values beyond the int range are pinned to its ends.
int StoredInt(long value);

// Preferences brought into the ranges the Options dialog allows: minimum patch size
// at least 0, threshold 0..255, line filtering 0 or 1. A hand-edited configuration
// file can hold anything.
Preferences ClampPreferences(Preferences p);

// The settings of a pass from the preferences and the toolbar's grid controls; the
// white background keeps the binary image from the very first pass on.
ProcessSettings ProcessSettingsFor(const Preferences& prefs, bool removeGrid, int gridWidth);

// Empty when the plot rectangle (right and bottom one past the last pixel) has at
// least one pixel inside a width x height picture; otherwise why it cannot be used.
std::string PlotRectProblem(const IRect& rect, int width, int height);

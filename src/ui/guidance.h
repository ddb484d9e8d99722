#pragma once
// What the status bar tells the user while calibrating, and the checks on the
// values typed for a logarithmic axis. Pure text rules; the window shows them.
#include <optional>
#include <string>

#include "document/interaction.h"

// What to do next in a calibration mode, e.g. "Click the first X reference point ...";
// a logarithmic axis says so. After an axis got its second point: what it gives and
// what comes next, from whether the other axis is calibrated in cal. Empty for None.
std::string ModeGuidance(AxisMode mode, const Calibration& cal, bool logX, bool logY);

// While the text-area (OCR) mode is on.
std::string TextModeGuidance();

// Whether a value can stand on an axis: any value on a linear one, only values
// above zero on a logarithmic one.
bool AxisValueUsable(double value, bool logarithmic);

// Why a typed value cannot be used on a logarithmic axis (nullopt when it can),
// worded for the moment it is typed.
std::optional<std::string> LogAxisValueProblem(Axis axis, double value, bool logarithmic);

// A calibration of the axis that a logarithmic scale cannot map (a reference value at
// or below zero), said where the values are shown; nullopt when the axis maps.
std::optional<std::string> LogAxisCalibrationProblem(Axis axis, double value1, double value2, bool logarithmic);

// The kinds of the two axes for the status bar: "X linear, Y logarithmic".
std::string AxisKindsText(bool logX, bool logY);

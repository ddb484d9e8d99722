#pragma once
// What the status bar tells the user while calibrating, and the checks on the
// values typed for a logarithmic axis. Pure text rules; the window shows them.
#include <optional>
#include <string>

enum class Axis { X, Y };

// The next step of an axis calibration after pointsDone (0 or 1) of its two points,
// e.g. "Click the first X reference point ...". A logarithmic axis says so.
std::string CalibrationPrompt(Axis axis, int pointsDone, bool logarithmic);

// After an axis got its second point; otherDone says whether the other axis has both.
std::string CalibrationDoneText(Axis axis, bool otherDone);

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

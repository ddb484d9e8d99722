#include "ui/guidance.h"

#include "output/mapping.h"

namespace {
const char* Name(Axis axis) { return axis == Axis::X ? "X" : "Y"; }
const char* Other(Axis axis) { return axis == Axis::X ? "Y" : "X"; }
}  // namespace

std::string CalibrationPrompt(Axis axis, int pointsDone, bool logarithmic) {
    const std::string name = Name(axis);
    std::string text = pointsDone == 0 ? "Click the first " + name + " reference point, a point of known " + name +
                                             " value (on the axis or a grid line)"
                                       : "Click the second " + name + " reference point, as far from the first as possible";
    if (logarithmic) text += "; " + name + " is logarithmic, so values must be above zero";
    return text + ". Escape cancels.";
}

std::string CalibrationDoneText(Axis axis, bool otherDone) {
    if (otherDone) return "X and Y axes calibrated: Export (Ctrl+S) or Copy (Ctrl+C) writes the values.";
    return std::string(Name(axis)) + " axis calibrated. Press " + Other(axis) + " to calibrate the " + Other(axis) +
           " axis.";
}

bool AxisValueUsable(double value, bool logarithmic) { return !logarithmic || value > 0; }

std::optional<std::string> LogAxisValueProblem(Axis axis, double value, bool logarithmic) {
    if (AxisValueUsable(value, logarithmic)) return std::nullopt;
    const std::string name = Name(axis);
    return "The " + name + " axis is logarithmic, so its values must be above zero; " + ValueToText(value) +
           " can not be used.\n\nType another value, or turn off the logarithmic " + name + " axis in Options.";
}

std::optional<std::string> LogAxisCalibrationProblem(Axis axis, double value1, double value2, bool logarithmic) {
    if (AxisValueUsable(value1, logarithmic) && AxisValueUsable(value2, logarithmic)) return std::nullopt;
    const std::string name = Name(axis);
    return name + " is logarithmic but a reference value is at or below zero: calibrate " + name +
           " again or turn logarithmic " + name + " off in Options";
}

std::string AxisKindsText(bool logX, bool logY) {
    return std::string("X ") + (logX ? "logarithmic" : "linear") + ", Y " + (logY ? "logarithmic" : "linear");
}

#include "ui/guidance.h"

#include "output/mapping.h"

namespace {
const char* Name(Axis axis) { return axis == Axis::X ? "X" : "Y"; }
}  // namespace

std::string ModeGuidance(AxisMode mode, const Calibration& cal, bool logX, bool logY) {
    const bool isX = mode == AxisMode::XFirst || mode == AxisMode::XSecond || mode == AxisMode::XDone;
    const std::string name = isX ? "X" : "Y";
    const std::string other = isX ? "Y" : "X";
    const bool logarithmic = isX ? logX : logY;
    const auto prompt = [&](const std::string& text) {
        return text + (logarithmic ? "; " + name + " is logarithmic, so values must be above zero" : "") +
               ". Escape cancels.";
    };
    switch (mode) {
    case AxisMode::None: return "";
    case AxisMode::XFirst:
    case AxisMode::YFirst:
        return prompt("Click the first " + name + " reference point, a point of known " + name +
                      " value (on the axis or a grid line)");
    case AxisMode::XSecond:
    case AxisMode::YSecond: return prompt("Click the second " + name + " reference point, as far from the first as possible");
    case AxisMode::XDone:
    case AxisMode::YDone: break;
    }
    const int bits = CheckCalibration(cal);
    const bool otherDone = !(bits & (isX ? (CAL_Y_UNSET | CAL_Y_TOO_SMALL) : (CAL_X_UNSET | CAL_X_TOO_SMALL)));
    if (otherDone) return "X and Y axes calibrated: Export (Ctrl+S) or Copy (Ctrl+C) writes the values.";
    return name + " axis calibrated. Press " + other + " to calibrate the " + other + " axis.";
}

std::string TextModeGuidance() {
    return "Drag a rectangle over axis numbers, a title or a legend to read it into labels; T again ends.";
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

#include "output/mapping.h"

#include <charconv>
#include <cmath>

namespace {

// The form (1 - t) a + t b hits a and b exactly at t = 0 and t = 1.
double Lerp(double a, double b, double t) { return (1.0 - t) * a + t * b; }

double Interpolate(double p, int pixel1, int pixel2, double value1, double value2, bool logarithmic,
                   int offset) {
    const double t = (p - pixel1) / static_cast<double>(pixel2 - pixel1);
    if (!logarithmic) return Lerp(value1, value2, t) + offset;
    // A round trip through log10 and pow can miss a calibration value by an ulp.
    if (t == 0.0) return std::pow(10.0, offset) * value1;
    if (t == 1.0) return std::pow(10.0, offset) * value2;
    return std::pow(10.0, Lerp(std::log10(value1), std::log10(value2), t) + offset);
}

}  // namespace

int CheckCalibration(double, int xPixel1, double, int xPixel2, double, int yPixel1, double, int yPixel2) {
    int bits = 0;
    if (xPixel1 == xPixel2 || xPixel1 == -1 || xPixel2 == -1) bits |= CAL_X_UNSET;
    if (yPixel1 == yPixel2 || yPixel1 == -1 || yPixel2 == -1) bits |= CAL_Y_UNSET;
    if (xPixel2 - xPixel1 == 1) bits |= CAL_X_TOO_SMALL;
    if (yPixel1 - yPixel2 == 1) bits |= CAL_Y_TOO_SMALL;
    return bits;
}

int CheckCalibration(const Calibration& c) {
    return CheckCalibration(c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2);
}

double PixelToValueX(double px, double xValue1, int xPixel1, double xValue2, int xPixel2, bool logarithmic) {
    return Interpolate(px, xPixel1, xPixel2, xValue1, xValue2, logarithmic, 0);
}

double PixelToValueY(double py, double yValue1, int yPixel1, double yValue2, int yPixel2, bool logarithmic,
                     int yOffset) {
    return Interpolate(py, yPixel1, yPixel2, yValue1, yValue2, logarithmic, yOffset);
}

std::string ValueToText(double v) {
    // to_chars in general form with a precision is printf's %.6g in the "C" locale,
    // whatever locale the program or the user runs under.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    return std::string(buf, res.ptr);
}

std::string ValueToText(int v) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

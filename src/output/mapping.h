#pragma once
// Pixel-to-value mapping through a two-point calibration per axis, and the
// number format of exported values.
#include <string>

#include "document/calibration.h"

// Status bits of a calibration; any combination can occur.
enum {
    CAL_X_UNSET = 1,      // X pixels equal, or either is -1
    CAL_Y_UNSET = 2,      // Y pixels equal, or either is -1
    CAL_X_TOO_SMALL = 4,  // xPixel2 - xPixel1 == 1
    CAL_Y_TOO_SMALL = 8,  // yPixel1 - yPixel2 == 1
};


// Looks only at the pixels, never at the values.
int CheckCalibration(double xValue1, int xPixel1, double xValue2, int xPixel2, double yValue1, int yPixel1,
                     double yValue2, int yPixel2);
int CheckCalibration(const Calibration& cal);

// Linear (or, with logarithmic, linear in log10) through the two calibration
// points: xPixel1 gives exactly xValue1 and xPixel2 gives xValue2. px may hold a
// fraction (a thinned point on a half row). Needs xPixel1 != xPixel2.
double PixelToValueX(double px, double xValue1, int xPixel1, double xValue2, int xPixel2, bool logarithmic);
// The same for rows; yOffset is added to the value (to the exponent when
// logarithmic). Needs yPixel1 != yPixel2.
double PixelToValueY(double py, double yValue1, int yPixel1, double yValue2, int yPixel2, bool logarithmic,
                     int yOffset);

// printf "%g" (six significant digits) with "." as decimal point in every locale.
std::string ValueToText(double v);
// Plain decimal.
std::string ValueToText(int v);

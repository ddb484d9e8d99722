#pragma once
// The axis calibration: two image pixels with their values per axis. X pixels
// are columns, Y pixels rows (row 0 at the top); an unset pixel is -1. Export,
// the readout, the canvas and the command-line tool all read this one record.
struct Calibration {
    double xValue1 = 0;
    int xPixel1 = -1;
    double xValue2 = 0;
    int xPixel2 = -1;
    double yValue1 = 0;
    int yPixel1 = -1;
    double yValue2 = 0;
    int yPixel2 = -1;
    // Where the marks stand: the row shared by both X points, the column shared by both Y points.
    int xRow = -1;
    int yColumn = -1;

    bool operator==(const Calibration& o) const {
        return xValue1 == o.xValue1 && xPixel1 == o.xPixel1 && xValue2 == o.xValue2 && xPixel2 == o.xPixel2 &&
               yValue1 == o.yValue1 && yPixel1 == o.yPixel1 && yValue2 == o.yValue2 && yPixel2 == o.yPixel2 &&
               xRow == o.xRow && yColumn == o.yColumn;
    }
    bool operator!=(const Calibration& o) const { return !(*this == o); }
};

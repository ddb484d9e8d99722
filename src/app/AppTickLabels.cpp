// Calibration from the picture's own tick labels: the command and the automatic
// run after processing.
#include <stdexcept>

#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"
#include "output/mapping.h"
#include "text/tesseract_engine.h"
#include "text/tick_calibrate.h"
#include "ui/GUIFrame.h"
#include "ui/UiSeam.h"

bool curvetapApp::NoAxisCalibrated() const {
    if (!g_canvas) return true;
    Calibration c;
    g_canvas->GetAxisCalibration(c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2);
    const int bits = CheckCalibration(c);
    return (bits & CAL_X_UNSET) && (bits & CAL_Y_UNSET);
}

void curvetapApp::CalibrateFromLabels(bool automatic) {
    if (image.empty() || !g_canvas) return;
    wxBusyCursor busy;
    if (!processed) {
        // Processing finds the plot area; with the automatic run on it reads the labels too.
        const bool readsLabels = prefs.autoCalibrate && NoAxisCalibrated();
        ProcessImage();
        if (!processed || readsLabels) return;
    }
    if (!ocrEngine) ocrEngine = TesseractEngine::Create();
    if (!ocrEngine) {
        log << "Axes not calibrated from tick labels: the OCR engine could not be started\n";
        if (!automatic)
            Ui().Message("Text recognition is not available: the OCR engine could not be started", kAppName,
                         wxOK | wxICON_ERROR, g_mainFrame);
        return;
    }
    LabelCalibration found;
    try {
        found = CalibrateFromTickLabels(image, plotArea, *ocrEngine);
    } catch (const std::exception& e) {
        log << "Axes not calibrated from tick labels: " << e.what() << "\n";
        return;
    }
    log << found.x.logLine << found.y.logLine;

    Calibration c;
    g_canvas->GetAxisCalibration(c.xValue1, c.xPixel1, c.xValue2, c.xPixel2, c.yValue1, c.yPixel1, c.yValue2, c.yPixel2);
    c.xRow = g_canvas->Calibration().x1.y;
    c.yColumn = g_canvas->Calibration().y1.x;
    std::vector<TextLabel> labels;
    g_canvas->GetTextLabels(labels);
    if (!TakeLabelCalibration(found, c, labels)) {
        if (!automatic)
            Ui().Message("The axes could not be calibrated from their tick labels; the log says why.", kAppName,
                         wxOK | wxCENTRE, g_mainFrame);
        return;
    }
    g_canvas->TakeCalibration(c, labels);
    const bool logX = found.x.scale == AxisScale::Logarithmic, logY = found.y.scale == AxisScale::Logarithmic;
    if (found.x.calibrated && logX != prefs.logScaleX) SetLogarithmicX(logX);
    if (found.y.calibrated && logY != prefs.logScaleY) SetLogarithmicY(logY);
}

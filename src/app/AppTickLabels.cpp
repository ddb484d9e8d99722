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
    const int bits = CheckCalibration(doc.GetCalibration());
    return (bits & CAL_X_UNSET) && (bits & CAL_Y_UNSET);
}

void curvetapApp::CalibrateFromLabels(bool automatic) {
    if (!doc.HasPicture() || !g_canvas) return;
    wxBusyCursor busy;
    if (!doc.Processed()) {
        // Processing finds the plot area; with the automatic run on it reads the labels too.
        const bool readsLabels = prefs.autoCalibrate && NoAxisCalibrated();
        ProcessImage();
        if (!doc.Processed() || readsLabels) return;
    }
    if (!ocrEngine) ocrEngine = TesseractEngine::Create();
    if (!ocrEngine) {
        log << "Axes not calibrated from tick labels: the OCR engine could not be started\n";
        if (!automatic)
            Ui().Message("Text recognition is not available: the OCR engine could not be started", kAppName,
                         wxOK | wxICON_ERROR, g_mainFrame);
        return;
    }
    const IRect& r = doc.PlotRect();
    const PlotArea area{r.left, r.top, r.right, r.bottom};
    LabelCalibration found;
    try {
        found = CalibrateFromTickLabels(doc.Picture(), area, *ocrEngine);
    } catch (const std::exception& e) {
        log << "Axes not calibrated from tick labels: " << e.what() << "\n";
        return;
    }
    log << found.x.logLine << found.y.logLine;

    Calibration c = doc.GetCalibration();
    std::vector<TextLabel> labels = doc.Labels();
    if (!TakeLabelCalibration(found, c, labels)) {
        if (!automatic)
            Ui().Message("The axes could not be calibrated from their tick labels; the log says why.", kAppName,
                         wxOK | wxCENTRE, g_mainFrame);
        return;
    }
    // Both axes and their labels as one undo step.
    DocumentState next = doc.State();
    next.calibration = c;
    next.labels = labels;
    doc.RecordStep();
    doc.Restore(std::move(next));
    const bool logX = found.x.scale == AxisScale::Logarithmic, logY = found.y.scale == AxisScale::Logarithmic;
    if (found.x.calibrated && logX != prefs.logScaleX) SetLogarithmicX(logX);
    if (found.y.calibrated && logY != prefs.logScaleY) SetLogarithmicY(logY);
}

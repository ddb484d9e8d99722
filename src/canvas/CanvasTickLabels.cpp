// The calibration read from tick labels, taken in as one edit.
#include "app/CurvetapApp.h"
#include "canvas/ScrolledImageComponent.h"

void ScrolledImageComponent::TakeCalibration(const ::Calibration& c, const std::vector<TextLabel>& labels) {
    CommitSelection();  // one undo step for both axes and their labels
    RefreshAxisMarks(true);
    RefreshAxisMarks(false);
    calib.x1 = {c.xPixel1, c.xRow};
    calib.x2 = {c.xPixel2, c.xRow};
    calib.xValue1 = c.xValue1;
    calib.xValue2 = c.xValue2;
    calib.x1Set = calib.x2Set = c.xPixel1 >= 0 && c.xPixel2 >= 0;
    calib.y1 = {c.yColumn, c.yPixel1};
    calib.y2 = {c.yColumn, c.yPixel2};
    calib.yValue1 = c.yValue1;
    calib.yValue2 = c.yValue2;
    calib.y1Set = calib.y2Set = c.yPixel1 >= 0 && c.yPixel2 >= 0;
    textLabels = labels;
    UpdateValueTextBoxes();
    RefreshAxisMarks(true);
    RefreshAxisMarks(false);
    redrawAxisMarks = redrawLabels = true;
    Refresh();
    wxGetApp().StoreTextLabels(textLabels);
}

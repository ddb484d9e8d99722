#pragma once
// The options dialog: the nine settings in one modal box. It only edits its
// own copies; the options command applies what changed.
#include <wx/dialog.h>

class wxCheckBox;
class wxTextCtrl;
class wxCommandEvent;

// Window names of the controls, for finding them with wxWindow::FindWindow(name).
namespace OptionsNames {
inline constexpr const char* WhiteBackground = "whiteBackground";   // check box
inline constexpr const char* ShowTooltips = "showTooltips";         // check box
inline constexpr const char* ManualThreshold = "manualThreshold";   // check box
inline constexpr const char* Threshold = "threshold";               // text field
inline constexpr const char* MinPatchSize = "minPatchSize";         // text field
inline constexpr const char* LogScaleX = "logScaleX";               // check box
inline constexpr const char* LogScaleY = "logScaleY";               // check box
inline constexpr const char* LineFiltering = "lineFiltering";       // check box
inline constexpr const char* CommonXAxis = "commonXAxis";           // check box
}  // namespace OptionsNames
// OK and Cancel are the standard wxID_OK and wxID_CANCEL buttons.

class OptionsDialog : public wxDialog {
public:
    // Integer flags count as true when nonzero. The results start as these values
    // and change only when OK is pressed.
    OptionsDialog(wxWindow* parent, bool whiteBackground, bool logScaleX, bool logScaleY, long minPatchSize,
                  int lineFiltering, bool manualThreshold, long threshold, bool showTooltips, bool commonXAxis,
                  bool autoCalibrate = true);
    ~OptionsDialog() override;

    bool WhiteBackground() const { return whiteBackground; }
    bool LogScaleX() const { return logScaleX; }
    bool LogScaleY() const { return logScaleY; }
    bool LineFiltering() const { return lineFiltering; }
    bool ManualThreshold() const { return manualThreshold; }
    bool ShowTooltips() const { return showTooltips; }
    bool CommonXAxis() const { return commonXAxis; }
    bool AutoCalibrate() const { return autoCalibrate; }
    // Clamped to 0..255.
    long Threshold() const { return threshold; }
    // Never negative.
    long MinPatchSize() const { return minPatchSize; }

private:
    void OnManualThreshold(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);

    wxCheckBox* whiteBackgroundBox = nullptr;
    wxCheckBox* showTooltipsBox = nullptr;
    wxCheckBox* manualThresholdBox = nullptr;
    wxTextCtrl* thresholdField = nullptr;
    wxTextCtrl* minPatchSizeField = nullptr;
    wxCheckBox* logScaleXBox = nullptr;
    wxCheckBox* logScaleYBox = nullptr;
    wxCheckBox* lineFilteringBox = nullptr;
    wxCheckBox* commonXAxisBox = nullptr;
    wxCheckBox* autoCalibrateBox = nullptr;

    bool whiteBackground;
    bool logScaleX;
    bool logScaleY;
    bool lineFiltering;
    bool manualThreshold;
    bool showTooltips;
    bool commonXAxis;
    bool autoCalibrate;
    long threshold;
    long minPatchSize;

    wxDECLARE_EVENT_TABLE();
};

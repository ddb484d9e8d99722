#pragma once
// The options dialog: the nine settings in one modal box. It only edits its
// own copies; the options command applies what changed.
#include <wx/dialog.h>

#include "app/preferences.h"

class wxCheckBox;
class wxChoice;
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
inline constexpr const char* ColourClasses = "colourClasses";       // choice: from the picture, six reference colours
}  // namespace OptionsNames
// OK and Cancel are the standard wxID_OK and wxID_CANCEL buttons.

class OptionsDialog : public wxDialog {
public:
    // The result starts as the given settings (a line-filtering value other than 0
    // counts as 1) and changes only when OK is pressed: the threshold clamped to
    // 0..255, the minimum patch size never negative, text that is not a whole
    // number leaving its setting as it was.
    OptionsDialog(wxWindow* parent, const Preferences& initial);
    ~OptionsDialog() override;

    const Preferences& Result() const { return result; }

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
    wxCheckBox* bridgeBox = nullptr;
    wxCheckBox* autoCalibrateBox = nullptr;
    wxChoice* colourClassesChoice = nullptr;
    Preferences result;

    wxDECLARE_EVENT_TABLE();
};

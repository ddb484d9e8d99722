#include "ui/OptionsDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <limits>
#include <cctype>
#include <climits>

#include "base/common.h"
#include "base/numbers.h"

namespace {
// A typed whole decimal number (optional sign, digits, surrounding blanks), read
// without the user's locale; anything else, "12.5" or "1e3" included, is no number.
bool ReadWholeNumber(const wxString& text, long* value) {
    const std::string s = text.ToStdString();
    size_t i = s.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    if (s[i] == '+' || s[i] == '-') ++i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (digits == 0 || s.find_first_not_of(" \t", i) != std::string::npos) return false;
    const std::optional<double> v = ParseWholeNumber(s);
    if (!v) return false;
    // The settings are ints: larger magnitudes saturate rather than wrap.
    *value = static_cast<long>(std::clamp(*v, double(INT_MIN), double(INT_MAX)));
    return true;
}

wxStaticText* Heading(wxWindow* parent, const wxString& text, const wxFont& font) {
    auto* label = new wxStaticText(parent, wxID_ANY, text);
    label->SetFont(font);
    label->SetForegroundColour(wxColour(0, 0, 128));
    return label;
}
}  // namespace

wxBEGIN_EVENT_TABLE(OptionsDialog, wxDialog)
    EVT_CHECKBOX(wxID_ANY, OptionsDialog::OnManualThreshold)
    EVT_BUTTON(wxID_OK, OptionsDialog::OnOk)
    EVT_BUTTON(wxID_CANCEL, OptionsDialog::OnCancel)
wxEND_EVENT_TABLE()

OptionsDialog::OptionsDialog(wxWindow* parent, const Preferences& initial)
    : wxDialog(parent, wxID_ANY, wxString(kAppName) + " Options"), result(initial) {
    result.lineFiltering = initial.lineFiltering != 0 ? 1 : 0;
    const Preferences& r = result;
    const wxFont headingFont(wxFontInfo().Bold());
    const wxFont hintFont(wxFontInfo().Italic());
    namespace N = OptionsNames;

    auto* outer = new wxBoxSizer(wxHORIZONTAL);
    auto* column = new wxBoxSizer(wxVERTICAL);
    outer->Add(column, 0, wxTOP | wxBOTTOM, 5);
    const int b = 5;

    column->AddSpacer(5);
    column->Add(Heading(this, "GUI options:", headingFont), 0, wxALL, b);
    whiteBackgroundBox = new wxCheckBox(this, wxID_ANY, "Show results on white background", wxDefaultPosition,
                                        wxDefaultSize, 0, wxDefaultValidator, N::WhiteBackground);
    whiteBackgroundBox->SetValue(r.whiteBackground);
    column->Add(whiteBackgroundBox, 0, wxALL, b);
    showTooltipsBox = new wxCheckBox(this, wxID_ANY, "Show locations tooltip when the mouse is near a selected graph",
                                     wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, N::ShowTooltips);
    showTooltipsBox->SetValue(r.showTooltips);
    column->Add(showTooltipsBox, 0, wxALL, b);
    column->AddSpacer(5);

    column->Add(Heading(this, "Processing options:", headingFont), 0, wxALL, b);
    auto* hint = new wxStaticText(this, wxID_ANY, "Increase the threshold to include more patches");
    hint->SetFont(hintFont);
    column->Add(hint, 0, wxALL, b);
    auto* thresholdRow = new wxBoxSizer(wxHORIZONTAL);
    manualThresholdBox = new wxCheckBox(this, NewControlId(), "Manual threshold", wxDefaultPosition, wxDefaultSize,
                                        0, wxDefaultValidator, N::ManualThreshold);
    manualThresholdBox->SetValue(r.manualThreshold);
    thresholdRow->Add(manualThresholdBox, 0, wxALL | wxALIGN_CENTER_VERTICAL, b);
    thresholdField = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", r.threshold), wxDefaultPosition,
                                    wxDefaultSize, 0, wxDefaultValidator, N::Threshold);
    thresholdField->Enable(r.manualThreshold);
    thresholdRow->Add(thresholdField, 0, wxALL, b);
    column->Add(thresholdRow);
    auto* patchRow = new wxBoxSizer(wxHORIZONTAL);
    patchRow->Add(new wxStaticText(this, wxID_ANY, "Minimum patch size"), 0, wxALL | wxALIGN_CENTER_VERTICAL, b);
    minPatchSizeField = new wxTextCtrl(this, wxID_ANY, wxString::Format("%d", r.minPatchSize), wxDefaultPosition,
                                       wxDefaultSize, 0, wxDefaultValidator, N::MinPatchSize);
    patchRow->Add(minPatchSizeField, 0, wxALL, b);
    column->Add(patchRow);
    auto* classRow = new wxBoxSizer(wxHORIZONTAL);
    classRow->Add(new wxStaticText(this, wxID_ANY, "Colour classes:"), 0, wxALL | wxALIGN_CENTER_VERTICAL, b);
    const wxString classings[] = {"from the picture", "six reference colours"};
    colourClassesChoice = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, classings, 0,
                                       wxDefaultValidator, N::ColourClasses);
    colourClassesChoice->SetSelection(r.referenceColours ? 1 : 0);
    classRow->Add(colourClassesChoice, 0, wxALL, b);
    column->Add(classRow);
    column->AddSpacer(5);

    column->Add(Heading(this, "Data output options:", headingFont), 0, wxALL, b);
    logScaleXBox = new wxCheckBox(this, wxID_ANY, "Logarithmic scale (X)", wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, N::LogScaleX);
    logScaleXBox->SetValue(r.logScaleX);
    column->Add(logScaleXBox, 0, wxALL, b);
    logScaleYBox = new wxCheckBox(this, wxID_ANY, "Logarithmic scale (Y)", wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, N::LogScaleY);
    logScaleYBox->SetValue(r.logScaleY);
    column->Add(logScaleYBox, 0, wxALL, b);
    lineFilteringBox = new wxCheckBox(this, wxID_ANY, "Perform line filtering (data is filtered to one pixel lines)",
                                      wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, N::LineFiltering);
    lineFilteringBox->SetValue(r.lineFiltering != 0);
    column->Add(lineFilteringBox, 0, wxALL, b);
    commonXAxisBox = new wxCheckBox(this, wxID_ANY,
                                    "Use a common X axis for multiple graphs\n(spaces will be used for missing Y values)",
                                    wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, N::CommonXAxis);
    commonXAxisBox->SetValue(r.commonXAxis);
    column->Add(commonXAxisBox, 0, wxALL, b);
    bridgeBox = new wxCheckBox(this, wxID_ANY, "Bridge a curve where another curve crosses or hides it",
                               wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "Bridge crossings");
    bridgeBox->SetValue(r.bridgeCrossings);
    column->Add(bridgeBox, 0, wxALL, b);
    autoCalibrateBox = new wxCheckBox(this, wxID_ANY, "Calibrate the axes from their tick labels after processing",
                                      wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, "Calibrate from labels");
    autoCalibrateBox->SetValue(r.autoCalibrate);
    column->Add(autoCalibrateBox, 0, wxALL, b);
    column->AddSpacer(5);

    // Each button has half of the row; Cancel sits at the right end of its half.
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* leftHalf = new wxBoxSizer(wxHORIZONTAL);
    leftHalf->Add(new wxButton(this, wxID_OK), 0, wxALL, b);
    leftHalf->AddStretchSpacer();
    auto* rightHalf = new wxBoxSizer(wxHORIZONTAL);
    rightHalf->AddStretchSpacer();
    rightHalf->Add(new wxButton(this, wxID_CANCEL), 0, wxALL, b);
    buttons->Add(leftHalf, 1, wxEXPAND);
    buttons->Add(rightHalf, 1, wxEXPAND);
    column->Add(buttons, 0, wxEXPAND);
    column->AddSpacer(5);

    SetSizerAndFit(outer);
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::OnManualThreshold(wxCommandEvent& event) {
    if (event.GetId() != manualThresholdBox->GetId()) {
        event.Skip();
        return;
    }
    thresholdField->Enable(manualThresholdBox->GetValue());
}

void OptionsDialog::OnOk(wxCommandEvent&) {
    result.whiteBackground = whiteBackgroundBox->GetValue();
    result.logScaleX = logScaleXBox->GetValue();
    result.logScaleY = logScaleYBox->GetValue();
    result.manualThreshold = manualThresholdBox->GetValue();
    long value = 0;
    if (ReadWholeNumber(thresholdField->GetValue(), &value)) result.threshold = int(std::clamp(value, 0L, 255L));
    if (ReadWholeNumber(minPatchSizeField->GetValue(), &value))
        result.minPatchSize = int(std::clamp(value, 0L, long(std::numeric_limits<int>::max())));
    result.lineFiltering = lineFilteringBox->GetValue() ? 1 : 0;
    result.showTooltips = showTooltipsBox->GetValue();
    result.commonXAxis = commonXAxisBox->GetValue();
    result.bridgeCrossings = bridgeBox->GetValue();
    result.autoCalibrate = autoCalibrateBox->GetValue();
    result.referenceColours = colourClassesChoice->GetSelection() == 1;
    // Ends the modal loop, or hides the dialog when it was not shown modally.
    EndDialog(wxID_OK);
}

void OptionsDialog::OnCancel(wxCommandEvent&) { EndDialog(wxID_CANCEL); }

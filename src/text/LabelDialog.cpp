#include "text/LabelDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "base/common.h"
#include "text/label.h"
#include "text/label_rules.h"
#include "ui/UiSeam.h"

const char* LabelKindBoxName(int bit) {
    for (size_t i = 0; i < kLabelKinds.size(); ++i)
        if (kLabelKinds[i].bit == bit) return LabelDialogNames::KindBoxes[i];
    return nullptr;
}

wxBEGIN_EVENT_TABLE(LabelDialog, wxDialog)
    EVT_CHECKBOX(wxID_ANY, LabelDialog::OnKindClicked)
    EVT_BUTTON(wxID_OK, LabelDialog::OnOk)
    EVT_BUTTON(wxID_CANCEL, LabelDialog::OnCancel)
wxEND_EVENT_TABLE()

LabelDialog::LabelDialog(wxWindow* parent, const std::string& text_, int kinds_)
    : wxDialog(parent, wxID_ANY, "Edit Text Properties"), text(text_), kinds(kinds_) {
    const int b = 5;
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->AddSpacer(5);

    auto* heading = new wxStaticText(this, wxID_ANY, "Text:");
    heading->SetFont(wxFont(wxFontInfo().Bold()));
    heading->SetForegroundColour(wxColour(0, 0, 128));
    column->Add(heading, 0, wxALL, b);
    // Labels hold UTF-8, as the canvas draws them.
    textField = new wxTextCtrl(this, wxID_ANY, wxString::FromUTF8(text.c_str()), wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, LabelDialogNames::Text);
    column->Add(textField, 0, wxALL | wxEXPAND, b);

    for (size_t i = 0; i < kLabelKinds.size(); ++i) {
        kindBoxes[i] = new wxCheckBox(this, wxID_ANY, kLabelKinds[i].name, wxDefaultPosition, wxDefaultSize, 0,
                                      wxDefaultValidator, LabelDialogNames::KindBoxes[i]);
        column->Add(kindBoxes[i], 0, wxALL, b);
    }
    ShowKinds(kinds);
    column->AddSpacer(5);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto* ok = new wxButton(this, wxID_OK);
    ok->SetDefault();
    buttons->Add(ok, 0, wxALL, b);
    buttons->Add(new wxButton(this, wxID_CANCEL), 0, wxALL, b);
    column->Add(buttons, 0, wxALIGN_CENTER_HORIZONTAL);

    SetSizerAndFit(column);
}

LabelDialog::~LabelDialog() = default;

int LabelDialog::TickedKinds() const {
    int bits = 0;
    for (size_t i = 0; i < kLabelKinds.size(); ++i)
        if (kindBoxes[i]->GetValue()) bits |= kLabelKinds[i].bit;
    return bits;
}

void LabelDialog::ShowKinds(int bits) {
    for (size_t i = 0; i < kLabelKinds.size(); ++i) kindBoxes[i]->SetValue((bits & kLabelKinds[i].bit) != 0);
}

void LabelDialog::OnKindClicked(wxCommandEvent& event) {
    for (size_t i = 0; i < kLabelKinds.size(); ++i) {
        if (event.GetEventObject() != kindBoxes[i] && event.GetId() != kindBoxes[i]->GetId()) continue;
        // The rules look only at the other boxes, so this box's flipped state does no harm here.
        ShowKinds(ApplyKindClick(TickedKinds(), kLabelKinds[i].bit, event.IsChecked()));
        return;
    }
    event.Skip();
}

void LabelDialog::OnOk(wxCommandEvent&) { Accept(); }

bool LabelDialog::SetResult(const std::string& newText, int newKinds) {
    textField->SetValue(wxString::FromUTF8(newText.c_str()));
    ShowKinds(newKinds);
    return Accept();
}

bool LabelDialog::Accept() {
    const wxString typed = textField->GetValue();
    const int ticked = TickedKinds();
    const wxScopedCharBuffer utf8 = typed.utf8_str();
    const std::string narrow(utf8.data(), utf8.length());
    if ((ticked & LABEL_AXIS_VALUES) && !IsNumericLabelText(narrow)) {
        Ui().Message(wxString::Format("This option requires the label to be a numerical value, however, '%s' is "
                                      "not numeric.\n\nEither edit the text or select a different text label",
                                      typed),
                     kAppName, wxOK | wxCENTRE, this);
        return false;
    }
    text = narrow;
    kinds = ticked;
    Finish(wxID_OK);
    return true;
}

void LabelDialog::OnCancel(wxCommandEvent&) { Finish(wxID_CANCEL); }

void LabelDialog::Finish(int result) {
    // EndDialog only hides a dialog that was not shown modally; keep the result readable either way.
    SetReturnCode(result);
    EndDialog(result);
}

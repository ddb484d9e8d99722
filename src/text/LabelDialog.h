#pragma once
// The label editor: a label's text and its kinds in one modal box. It edits its
// own copies; the caller reads Text() and Kinds() back after it closes.
#include <wx/dialog.h>

#include <array>
#include <string>

class wxCheckBox;
class wxTextCtrl;
class wxCommandEvent;

// Window names of the controls, for finding them with wxWindow::FindWindow(name).
namespace LabelDialogNames {
inline constexpr const char* Text = "labelText";  // text field
// One check box per kind, in the order of kLabelKinds (ascending bit).
inline constexpr std::array<const char*, 8> KindBoxes = {
    "kindText", "kindTitle", "kindXmin", "kindXmax", "kindYmin", "kindYmax", "kindXLegend", "kindYLegend"};
}  // namespace LabelDialogNames
// The name of the check box for one kind bit; nullptr when bit is not a kind.
const char* LabelKindBoxName(int bit);
// OK and Cancel are the standard wxID_OK and wxID_CANCEL buttons.

class LabelDialog : public wxDialog {
public:
    // text is 8-bit (UTF-8) as labels keep it; kinds are LabelKind bits.
    LabelDialog(wxWindow* parent, const std::string& text, int kinds);
    ~LabelDialog() override;

    // The edited text and ticked kinds after OK; the ones it was opened with
    // after Cancel or closing the window.
    const std::string& Text() const { return text; }
    int Kinds() const { return kinds; }

    // For callers that answer the dialog without a user: puts text into the field,
    // ticks exactly these kinds and presses OK (with OK's number check and message).
    // Returns whether the dialog accepted and closed.
    bool SetResult(const std::string& text, int kinds);

private:
    void OnKindClicked(wxCommandEvent& event);
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    int TickedKinds() const;
    void ShowKinds(int bits);
    bool Accept();
    void Finish(int result);

    wxTextCtrl* textField = nullptr;
    std::array<wxCheckBox*, 8> kindBoxes{};

    std::string text;
    int kinds;

    wxDECLARE_EVENT_TABLE();
};

#include "ui/UiSeam.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/tipdlg.h>

#include "base/common.h"

int UiSeam::Message(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
    return wxMessageBox(text, caption, style, parent);
}

int UiSeam::AskSaveChanges(const wxString& text, wxWindow* parent) {
    wxMessageDialog dialog(parent, text, kAppName, wxYES_NO | wxCANCEL | wxCENTRE | wxICON_QUESTION);
    dialog.SetYesNoCancelLabels("&Save", "&Discard", "&Cancel");
    const int answer = dialog.ShowModal();
    return answer == wxID_YES ? wxYES : answer == wxID_NO ? wxNO : wxCANCEL;
}

wxString UiSeam::AskText(const wxString& message, const wxString& caption, const wxString& defaultValue,
                         wxWindow* parent) {
    return wxGetTextFromUser(message, caption, defaultValue, parent, wxDefaultCoord, wxDefaultCoord, true);
}

wxString UiSeam::ChooseFileToOpen(wxWindow* parent, const wxString& message, const wxString& wildcard) {
    wxFileDialog dlg(parent, message, wxGetCwd(), wxEmptyString, wildcard, wxFD_OPEN);
    return dlg.ShowModal() == wxID_OK ? dlg.GetPath() : wxString();
}

wxString UiSeam::ChooseFileToSave(wxWindow* parent, const wxString& message, const wxString& wildcard,
                                  const wxString& defaultName) {
    wxFileDialog dlg(parent, message, wxEmptyString, defaultName, wildcard, wxFD_SAVE);
    return dlg.ShowModal() == wxID_OK ? dlg.GetPath() : wxString();
}

bool UiSeam::ShowTip(wxTipProvider* provider, bool showAtStartup) {
    return wxShowTip(nullptr, provider, showAtStartup);
}

bool UiSeam::OpenClipboard() { return wxTheClipboard->Open(); }

int UiSeam::ShowModal(wxDialog& dialog) { return dialog.ShowModal(); }

namespace {
UiSeam g_realDialogs;
UiSeam* g_seam = &g_realDialogs;
}  // namespace

UiSeam& Ui() { return *g_seam; }
void SetUiSeam(UiSeam* seam) { g_seam = seam ? seam : &g_realDialogs; }

void ShowInfo(const wxString& text) { Ui().Message(text, kAppName, wxOK | wxCENTRE, nullptr); }

#pragma once
// Every modal question, message and file dialog goes through this one seam so
// tests can answer them without a window popping up.
#include <wx/string.h>

#include <string>

class wxWindow;
class wxDialog;
class wxTipProvider;

class UiSeam {
public:
    virtual ~UiSeam() = default;
    // Returns wxOK, wxYES or wxNO like wxMessageBox.
    virtual int Message(const wxString& text, const wxString& caption, long style, wxWindow* parent);
    // Text entry; an empty string when the user cancels.
    virtual wxString AskText(const wxString& message, const wxString& caption, const wxString& defaultValue,
                             wxWindow* parent);
    // File choosers; an empty string when the user cancels.
    virtual wxString ChooseFileToOpen(wxWindow* parent, const wxString& message, const wxString& wildcard);
    // The save chooser starts on defaultName (a file name, no folder) when one is given.
    virtual wxString ChooseFileToSave(wxWindow* parent, const wxString& message, const wxString& wildcard,
                                      const wxString& defaultName = wxString());
    // The tip of the day; returns the state of its show-at-start-up box when it closes.
    virtual bool ShowTip(wxTipProvider* provider, bool showAtStartup);
    // Opens the system clipboard (closed by the caller); false when it is busy.
    virtual bool OpenClipboard();
    // Before a changed document is replaced or closed: "Save", "Discard" or
    // "Cancel", returned as wxYES, wxNO or wxCANCEL.
    virtual int AskSaveChanges(const wxString& text, wxWindow* parent);
    // Any other modal dialog (options, label editor, about, tips); returns the modal result.
    virtual int ShowModal(wxDialog& dialog);
};

// The seam in force; the real dialogs unless a test installs its own.
UiSeam& Ui();
// Installs a seam (nullptr restores the real dialogs); the caller keeps ownership.
void SetUiSeam(UiSeam* seam);

// Narrow (8-bit) text from the program's core becomes wide text for the toolkit.
inline wxString Wide(const std::string& s) { return wxString::FromUTF8(s.c_str()); }

// Shorthand for the common "caption plotsnap, OK" box.
void ShowInfo(const wxString& text);

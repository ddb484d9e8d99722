#pragma once
// The about box: a text beside the program's icon with a link to the user's guide
// installed with the program. In update mode it also offers the download link.
#include <wx/dialog.h>

// Window names of the hyperlinks, for finding them with wxWindow::FindWindow(name).
namespace AboutNames {
inline constexpr const char* Download = "downloadLink";  // update mode only, bold
inline constexpr const char* Manual = "manualLink";  // the local user's guide, when installed
inline constexpr const char* Text = "aboutText";        // the static text given to the constructor
}  // namespace AboutNames

inline constexpr const char* kDownloadUrl = "https://plotsnap.example.org/download";

// The user's guide (README.md) as a file:// address: the installed copy, else the
// one in the source tree this program was built from; empty when neither exists.
wxString LocalGuideUrl();

class AboutDialog : public wxDialog {
public:
    // Title "Check for updates" in update mode, otherwise "About plotsnap". The
    // standard OK button (wxID_OK) closes it.
    AboutDialog(wxWindow* parent, const wxString& text, bool updateMode);

private:
    wxDECLARE_EVENT_TABLE();
};

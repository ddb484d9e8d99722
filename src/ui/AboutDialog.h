#pragma once
// The about box: a text beside the program's icon with links to the maker's
// pages. In update mode it also offers the download link.
#include <wx/dialog.h>

// Window names of the hyperlinks, for finding them with wxWindow::FindWindow(name).
namespace AboutNames {
inline constexpr const char* Download = "downloadLink";  // update mode only, bold
inline constexpr const char* Manual = "manualLink";
inline constexpr const char* WebSite = "webSiteLink";
inline constexpr const char* Examples = "examplesLink";
inline constexpr const char* Text = "aboutText";        // the static text given to the constructor
}  // namespace AboutNames

// The maker's pages.
inline constexpr const char* kDownloadUrl = "https://plotsnap.example.org/download";
inline constexpr const char* kManualUrl = "https://plotsnap.example.org/guide";
inline constexpr const char* kExampleChartsUrl = "https://plotsnap.example.org/examples";

class AboutDialog : public wxDialog {
public:
    // Title "Check for updates" in update mode, otherwise "About plotsnap". The
    // standard OK button (wxID_OK) closes it.
    AboutDialog(wxWindow* parent, const wxString& text, bool updateMode);

private:
    wxDECLARE_EVENT_TABLE();
};

#include "ui/AboutDialog.h"

#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/stdpaths.h>

#include "base/common.h"
#include "ui/Resources.h"

// OK needs no handler of its own: the dialog's standard one ends the modal loop,
// which is what closes a dialog that lives on its caller's stack.
wxBEGIN_EVENT_TABLE(AboutDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {
wxHyperlinkCtrl* Link(wxWindow* parent, const wxString& label, const wxString& url, const char* name) {
    return new wxHyperlinkCtrl(parent, wxID_ANY, label, url, wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE,
                               name);
}
}  // namespace

wxString LocalGuideUrl() {
    const wxString candidates[] = {
        wxStandardPaths::Get().GetInstallPrefix() + "/share/doc/plotsnap/README.md",
        wxString(PLOTSNAP_RESOURCE_DIR) + "/../README.md",
    };
    for (const wxString& path : candidates) {
        wxFileName name(path);
        name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
        if (name.FileExists()) return wxFileName::FileNameToURL(name);
    }
    return wxString();
}

AboutDialog::AboutDialog(wxWindow* parent, const wxString& text, bool updateMode)
    : wxDialog(parent, wxID_ANY, updateMode ? wxString("Check for updates") : wxString("About ") + kAppName) {
    using namespace AboutNames;
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, LoadResourceIcon("aaaa")), 0, wxTOP | wxLEFT, 30);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(new wxStaticText(this, wxID_ANY, text, wxDefaultPosition, wxDefaultSize, 0, Text));
    if (updateMode) {
        wxHyperlinkCtrl* download = Link(this, "Download the latest version", kDownloadUrl, Download);
        download->SetFont(wxFont(wxFontInfo().Bold()));
        column->Add(download);
    }
    column->AddSpacer(30);
    const wxString guide = LocalGuideUrl();
    if (!guide.empty()) column->Add(Link(this, wxString("Read ") + kAppName + "'s user's guide", guide, Manual));
    row->Add(column, 0, wxALL, 30);

    row->Add(new wxButton(this, wxID_OK), 0, wxLEFT | wxBOTTOM | wxALIGN_BOTTOM, 30);
    row->SetSizeHints(this);
    SetSizer(row);
}

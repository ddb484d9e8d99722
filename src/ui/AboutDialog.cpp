#include "ui/AboutDialog.h"

#include <wx/button.h>
#include <wx/hyperlink.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "base/common.h"
#include "ui/Resources.h"

// OK needs no handler of its own: the dialog's standard one ends the modal loop,
// which is what closes a dialog that lives on its caller's stack.
wxBEGIN_EVENT_TABLE(AboutDialog, wxDialog)
wxEND_EVENT_TABLE()

namespace {
wxHyperlinkCtrl* Link(wxWindow* parent, const wxString& label, const char* url, const char* name) {
    return new wxHyperlinkCtrl(parent, wxID_ANY, label, url, wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE,
                               name);
}
}  // namespace

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
    column->Add(Link(this, wxString("Read ") + kAppName + "'s User's Manual online", kManualUrl, Manual));
    column->Add(Link(this, wxString("Visit ") + kAppName + "'s web site", kWebSite, WebSite));
    column->AddSpacer(30);
    column->Add(new wxStaticText(this, wxID_ANY, "Charts to practise on, with their data:"));
    column->Add(Link(this, "Example charts", kExampleChartsUrl, Examples));
    row->Add(column, 0, wxALL, 30);

    row->Add(new wxButton(this, wxID_OK), 0, wxLEFT | wxBOTTOM | wxALIGN_BOTTOM, 30);
    row->SetSizeHints(this);
    SetSizer(row);
}

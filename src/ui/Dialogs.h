#pragma once
// The small dialogs of the main window.
#include <wx/string.h>

#include "ui/version_check.h"

class wxWindow;

// Options: edit the nine settings, apply the changed ones, save the preferences.
void RunOptionsCommand(wxWindow* parent);
// Asks the version server whether a newer version exists and tells the user.
// Blocks the window for at most the check's timeout per network step.
void RunUpdateCheck(wxWindow* parent, const wxString& host = kUpdateHost, unsigned short port = 80);
// The about box; in update mode it offers the download link.
void ShowAbout(wxWindow* parent, const wxString& text, bool updateMode);

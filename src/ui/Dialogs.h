#pragma once
// The small dialogs of the main window.
#include <wx/string.h>

class wxWindow;

// Options: edit the nine settings, apply the changed ones, save the preferences.
void RunOptionsCommand(wxWindow* parent);
// Asks the version server whether a newer version exists.
void RunUpdateCheck(wxWindow* parent);
// The about box; in update mode it offers the download link.
void ShowAbout(wxWindow* parent, const wxString& text, bool updateMode);

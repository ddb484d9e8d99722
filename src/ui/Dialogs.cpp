#include "ui/Dialogs.h"

#include <wx/wx.h>

void RunOptionsCommand(wxWindow*) {}
void RunUpdateCheck(wxWindow*) {}
void ShowAbout(wxWindow*, const wxString&, bool) {}

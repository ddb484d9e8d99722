// Program entry. Assertion reports are switched off and the log level set to
// informational before the toolkit creates the application object.
#include <wx/wx.h>

#include "app/CurvetapApp.h"

wxIMPLEMENT_APP_NO_MAIN(curvetapApp);

int main(int argc, char** argv) {
    wxDisableAsserts();
    wxLog::SetLogLevel(wxLOG_Info);
    return wxEntry(argc, argv);
}

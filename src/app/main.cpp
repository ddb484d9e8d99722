// Program entry. Assertion reports are switched off and the log level set to
// informational before the toolkit creates the application object. The command
// line ("plotsnap [PICTURE]", as a file manager's "Open with" passes it) is read
// first, so --help and --version answer without opening a window.
#include <wx/wx.h>

#include <cstdio>

#include "app/CurvetapApp.h"
#include "base/common.h"
#include "ui/startup_arguments.h"

wxIMPLEMENT_APP_NO_MAIN(curvetapApp);

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const StartupArguments start = ReadStartupArguments(args);
    switch (start.outcome) {
    case StartupArguments::Help: std::fputs(StartupUsage().c_str(), stdout); return 0;
    case StartupArguments::Version: std::printf("%s\n", kVersionBanner); return 0;
    case StartupArguments::UsageError:
        std::fprintf(stderr, "plotsnap: %s\n%s", start.message.c_str(), StartupUsage().c_str());
        return 2;
    case StartupArguments::Run: break;
    }
    SetStartupFiles(start.open, start.unused);
    wxDisableAsserts();
    wxLog::SetLogLevel(wxLOG_Info);
    // The toolkit sees only the program name: file names are ours, not its options.
    int wxArgc = argc > 0 ? 1 : 0;
    return wxEntry(wxArgc, argv);
}

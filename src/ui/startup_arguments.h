#pragma once
// The window program's command line: "plotsnap [PICTURE...]", as a file manager's
// "Open with" passes it. The first picture is opened as Open does.
#include <string>
#include <vector>

struct StartupArguments {
    enum Outcome { Run, Help, Version, UsageError };
    Outcome outcome = Run;
    std::string open;                 // the file to open at start, empty for none
    std::vector<std::string> unused;  // further files, which are not opened
    std::string message;              // the error for UsageError
};

// args excludes the program name. "--" ends the options, so "--" "-x.png" opens "-x.png".
StartupArguments ReadStartupArguments(const std::vector<std::string>& args);

// "usage: plotsnap [PICTURE]" and what it does, for --help and usage errors.
std::string StartupUsage();

// The log line about files given after the first, empty when there are none.
std::string UnusedFilesNote(const std::vector<std::string>& unused);

#include "ui/startup_arguments.h"

StartupArguments ReadStartupArguments(const std::vector<std::string>& args) {
    StartupArguments r;
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "-h" || a == "--help")) {
            r.outcome = StartupArguments::Help;
            return r;
        } else if (options && a == "--version") {
            r.outcome = StartupArguments::Version;
            return r;
        } else if (options && a.size() > 1 && a[0] == '-') {
            r.outcome = StartupArguments::UsageError;
            r.message = "unknown option '" + a + "'";
            return r;
        } else if (a.empty()) {
            continue;  // an empty %f from a launcher that had no file
        } else if (r.open.empty()) {
            r.open = a;
        } else {
            r.unused.push_back(a);
        }
    }
    return r;
}

std::string StartupUsage() {
    return "usage: plotsnap [PICTURE]\n"
           "Opens the chart digitizer's window, with PICTURE (a PNG, JPEG, BMP, GIF, TIFF or other image file)\n"
           "loaded as File > Open would. plotsnap-cli does the same work without a window.\n";
}

std::string UnusedFilesNote(const std::vector<std::string>& unused) {
    if (unused.empty()) return "";
    std::string text = "Only the first file is opened; not opened:";
    for (const std::string& f : unused) text += " " + f;
    return text + "\n";
}

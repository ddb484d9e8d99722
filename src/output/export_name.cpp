#include "output/export_name.h"

namespace {
// The last path element, and where it starts.
size_t NameStart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's dot in the last path element, or npos. Leading dots
// (".profile") belong to the name.
size_t ExtensionDot(const std::string& path) {
    const size_t start = NameStart(path);
    const size_t firstNonDot = path.find_first_not_of('.', start);
    const size_t dot = path.find_last_of('.');
    if (firstNonDot == std::string::npos || dot == std::string::npos || dot < firstNonDot) return std::string::npos;
    return dot;
}
}  // namespace

std::string DefaultExportName(const std::string& picturePath) {
    std::string name = picturePath.substr(NameStart(picturePath));
    const size_t dot = ExtensionDot(name);
    if (dot != std::string::npos) name.erase(dot);
    return (name.find_first_not_of('.') == std::string::npos ? std::string("data") : name) + ".csv";
}

std::string WithCsvExtension(const std::string& path) {
    const size_t start = NameStart(path);
    if (path.find_first_not_of('.', start) == std::string::npos) return path;  // "", "dir/", "." or ".."
    const size_t dot = ExtensionDot(path);
    if (dot == std::string::npos) return path + ".csv";
    return dot + 1 == path.size() ? path + "csv" : path;  // "data." means "data.csv"
}

#include "cli/batch.h"

#include <algorithm>

namespace {
std::string FirstNotIn(const std::vector<std::string>& given, std::initializer_list<const char*> allowed) {
    for (const std::string& name : given)
        if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return name == a; })) return name;
    return {};
}
}  // namespace

std::string ProjectOptionsProblem(const CliOptions& o, const std::vector<std::string>& given) {
    if (o.exportCommand) {
        if (o.imagePath.empty()) return "no PROJECT given";
        if (!o.moreImages.empty()) return "unexpected argument '" + o.moreImages[0] + "' (one PROJECT only)";
        const std::string other = FirstNotIn(given, {"-o", "--output", "--default-scales"});
        if (!other.empty()) return "export takes only -o FILE and --default-scales, not " + other;
        return {};
    }
    if (!o.projectPath.empty()) {
        const std::string other = FirstNotIn(given, {"--project", "-o", "--output", "-j", "--jobs", "--default-scales"});
        if (!other.empty())
            return "--project takes the settings, plot rectangle, calibration and picks from the project; " + other +
                   " can not be added";
        if (o.outputPath.empty()) return "--project needs -o DIR, the folder the CSV files go to";
        return {};
    }
    if (!o.moreImages.empty()) return "unexpected argument '" + o.moreImages[0] + "' (one IMAGE only; several with --project)";
    if (o.jobs != 0) return "-j is for a batch (--project)";
    if (o.listPatches && !o.saveProjectPath.empty())
        return "--list-patches prints the patches only; it cannot be combined with --save-project";
    return {};
}

// The core library stays free of the GUI toolkit so it can be tested and used
// headless: every core source and the project headers it includes are walked.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <functional>
#include <fstream>
#include <regex>
#include <iterator>
#include <set>
#include <string>

namespace {
using Banned = std::function<bool(const std::string& include, bool ours)>;

// Follows the project headers a file includes; `banned` says which includes are offences.
void Scan(const std::string& path, std::set<std::string>& seen, std::vector<std::string>& offenders,
          const Banned& banned) {
    if (!seen.insert(path).second) return;
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    static const std::regex include_re(R"(#\s*include\s*[<"]([^>"]+)[>"])");
    for (std::sregex_iterator it(text.begin(), text.end(), include_re), end; it != end; ++it) {
        const std::string inc = (*it)[1];
        const std::string local = std::string(PLOTSNAP_SOURCE_DIR) + "/src/" + inc;
        const bool ours = std::ifstream(local).good();
        if (banned(inc, ours)) offenders.push_back(path + " includes " + inc);
        if (ours) Scan(local, seen, offenders, banned);
    }
}

// A header of the window layer: one of ours whose file name starts with a capital.
bool WindowLayer(const std::string& inc, bool ours) {
    const size_t slash = inc.rfind('/');
    return ours && std::isupper(static_cast<unsigned char>(inc[slash == std::string::npos ? 0 : slash + 1]));
}
}  // namespace

// The core library includes nothing of the toolkit or the window layer; the command-line
// tool reads pictures through the intake and text through the OCR engine adapter (neither
// opens a window), and nothing else of the window layer.
TEST(Layers, CoreAndCommandLineIncludeNoWindowCode) {
    std::vector<std::string> core, cli;
    std::ifstream list(PLOTSNAP_CORE_SOURCES_FILE);
    ASSERT_TRUE(list.good()) << "missing " << PLOTSNAP_CORE_SOURCES_FILE;
    for (std::string line; std::getline(list, line);)
        if (!line.empty()) core.push_back(line);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(PLOTSNAP_SOURCE_DIR) + "/src/cli"))
        cli.push_back(entry.path().string());
    const std::vector<std::pair<std::vector<std::string>, Banned>> layers = {
        {core, [](const std::string& inc, bool ours) {
             return inc.rfind("wx/", 0) == 0 || inc == "wx.h" || WindowLayer(inc, ours);
         }},
        {cli, [](const std::string& inc, bool ours) {
             return inc.rfind("canvas/", 0) == 0 || inc.rfind("ui/", 0) == 0 ||
                    (WindowLayer(inc, ours) && inc != "app/PictureFile.h" && inc != "text/tesseract_engine.h");
         }},
    };
    for (const auto& [files, banned] : layers) {
        EXPECT_FALSE(files.empty());
        std::set<std::string> seen;
        std::vector<std::string> offenders;
        for (const std::string& file : files) Scan(file, seen, offenders, banned);
        for (const auto& o : offenders) ADD_FAILURE() << o;
    }
}

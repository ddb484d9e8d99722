// The core library must stay free of the GUI toolkit so it can be tested and
// used headless. Walk every core source and the project headers it includes.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {
std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Follows the project headers a file includes; `banned` says which includes are offences.
template <class Banned>
void Scan(const std::string& path, std::set<std::string>& seen, std::vector<std::string>& offenders,
          const Banned& banned) {
    if (!seen.insert(path).second) return;
    const std::string text = Slurp(path);
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

TEST(CoreLibrary, IncludesNoToolkitHeader) {
    std::ifstream list(PLOTSNAP_CORE_SOURCES_FILE);
    ASSERT_TRUE(list.good()) << "missing " << PLOTSNAP_CORE_SOURCES_FILE;
    std::set<std::string> seen;
    std::vector<std::string> offenders;
    std::string line;
    int files = 0;
    while (std::getline(list, line)) {
        if (line.empty()) continue;
        ++files;
        Scan(line, seen, offenders, [](const std::string& inc, bool ours) {
            return inc.rfind("wx/", 0) == 0 || inc == "wx.h" || WindowLayer(inc, ours);
        });
    }
    EXPECT_GT(files, 0);
    for (const auto& o : offenders) ADD_FAILURE() << o;
}

// The command-line tool reads pictures through the intake and text through the OCR
// engine adapter (neither opens a window), and nothing else of the window layer.
TEST(CommandLineTool, UsesNoCanvasOrWindowCode) {
    std::set<std::string> seen;
    std::vector<std::string> offenders;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(PLOTSNAP_SOURCE_DIR) + "/src/cli")) {
        ++files;
        Scan(entry.path().string(), seen, offenders, [](const std::string& inc, bool ours) {
            return inc.rfind("canvas/", 0) == 0 || inc.rfind("ui/", 0) == 0 ||
                   (WindowLayer(inc, ours) && inc != "app/PictureFile.h" && inc != "text/tesseract_engine.h");
        });
    }
    EXPECT_GT(files, 0);
    for (const auto& o : offenders) ADD_FAILURE() << o;
}

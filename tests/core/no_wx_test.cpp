// The core library must stay free of the GUI toolkit so it can be tested and
// used headless. Walk every core source and the project headers it includes.
#include <gtest/gtest.h>

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

void Scan(const std::string& path, std::set<std::string>& seen, std::vector<std::string>& offenders) {
    if (!seen.insert(path).second) return;
    const std::string text = Slurp(path);
    static const std::regex include_re(R"(#\s*include\s*[<"]([^>"]+)[>"])");
    for (std::sregex_iterator it(text.begin(), text.end(), include_re), end; it != end; ++it) {
        const std::string inc = (*it)[1];
        if (inc.rfind("wx/", 0) == 0 || inc == "wx.h") offenders.push_back(path + " includes " + inc);
        const std::string local = std::string(PLOTSNAP_SOURCE_DIR) + "/src/" + inc;
        if (std::ifstream(local).good()) Scan(local, seen, offenders);
    }
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
        Scan(line, seen, offenders);
    }
    EXPECT_GT(files, 0);
    for (const auto& o : offenders) ADD_FAILURE() << o;
}

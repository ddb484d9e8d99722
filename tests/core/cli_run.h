#pragma once
// Running the real plotsnap-cli binary from tests: arguments passed as they are
// (no shell), standard output and standard error captured apart, the exit code
// kept, and pictures written where the binary can read them.
#include <opencv2/core.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifndef PLOTSNAP_CLI
#error "PLOTSNAP_CLI must name the plotsnap-cli binary"
#endif

extern char** environ;

namespace cli_test {

struct CliResult {
    int exitCode = -1;  // 128 + signal when the program was killed
    std::string out;
    std::string err;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "plotsnap-cli-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline CliResult RunCli(const std::vector<std::string>& args, const TempDir& dir) {
    CliResult r;
    const std::string outPath = dir / ".stdout", errPath = dir / ".stderr";
    std::vector<std::string> argv = {PLOTSNAP_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return r;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return r;
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) r.exitCode = 128 + WTERMSIG(status);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    return r;
}

// Binary PPM: the toolkit's decoders read it and its pixels arrive unchanged.
inline bool WritePpm(const std::string& path, const cv::Mat& rgb) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << rgb.cols << " " << rgb.rows << "\n255\n";
    for (int y = 0; y < rgb.rows; ++y) out.write(reinterpret_cast<const char*>(rgb.ptr(y)), rgb.cols * 3);
    return bool(out);
}

}  // namespace cli_test

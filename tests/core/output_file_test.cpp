// Saving the export: all or nothing for files, straight through for pipes and
// devices, refused for anything else; an existing file is never left damaged.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "output/file_writer.h"

namespace fs = std::filesystem;

namespace {

class AtomicWrite : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/plotsnap_write_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::chmod(dir_.c_str(), 0755);  // reachable for the unprivileged child below
    }
    void TearDown() override {
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(dir_, ec))
            if (e.is_directory()) ::chmod(e.path().c_str(), 0755);
        fs::remove_all(dir_, ec);
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Runs f in a child process (for limits and identities that must not leak into
    // the test runner) and returns its exit status.
    template <class F>
    static int InChild(F f) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(f());
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }
    std::string dir_;
};

}  // namespace

TEST_F(AtomicWrite, EachKindOfTarget) {
    struct Case {
        const char* name;
        std::function<std::string(const std::string& dir)> make;  // returns the path to write
        bool ok;
        const char* errorPart;  // for refusals
        std::function<void(const std::string& dir)> check;
    };
    const std::string text = "x, y\n1, 2\n";
    const Case cases[] = {
        {"new file", [](const std::string& d) { return d + "/new.csv"; }, true, "",
         [&](const std::string& d) {
             EXPECT_EQ(Read(d + "/new.csv"), text);
             EXPECT_EQ(Names(d), std::vector<std::string>{"new.csv"});  // no temporary left over
         }},
        {"longer file, mode 0640", [](const std::string& d) {
             Put(d + "/old.csv", std::string(100000, 'o'));
             ::chmod((d + "/old.csv").c_str(), 0640);
             return d + "/old.csv";
         }, true, "",
         [&](const std::string& d) {
             EXPECT_EQ(Read(d + "/old.csv"), text);  // nothing of the longer content remains
             EXPECT_EQ(fs::status(d + "/old.csv").permissions(), fs::perms(0640));
         }},
        {"chain of relative links", [](const std::string& d) {
             fs::create_directory(d + "/real");
             Put(d + "/real/data.csv", "old");
             fs::create_symlink("real/data.csv", d + "/one");
             fs::create_symlink("one", d + "/two");
             return d + "/two";
         }, true, "",
         [&](const std::string& d) {
             EXPECT_TRUE(fs::is_symlink(d + "/one") && fs::is_symlink(d + "/two"));
             EXPECT_EQ(Read(d + "/real/data.csv"), text);
             EXPECT_EQ(Names(d + "/real"), std::vector<std::string>{"data.csv"});
         }},
        {"dangling link", [](const std::string& d) {
             fs::create_symlink(d + "/later.csv", d + "/link");
             return d + "/link";
         }, true, "",
         [&](const std::string& d) {
             EXPECT_TRUE(fs::is_symlink(d + "/link"));
             EXPECT_EQ(Read(d + "/later.csv"), text);
         }},
        {"/dev/null", [](const std::string&) { return std::string("/dev/null"); }, true, "",
         [](const std::string&) { EXPECT_TRUE(fs::is_character_file("/dev/null")); }},
        {"/dev/full", [](const std::string&) { return std::string("/dev/full"); }, false, "No space left",
         [](const std::string&) { EXPECT_TRUE(fs::is_character_file("/dev/full")); }},
        {"folder", [](const std::string& d) { fs::create_directory(d + "/sub"); return d + "/sub"; }, false,
         "Is a directory", [](const std::string& d) { EXPECT_TRUE(fs::is_directory(d + "/sub")); }},
        {"socket", [](const std::string& d) {
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             const std::string path = d + "/sock";
             path.copy(addr.sun_path, sizeof addr.sun_path - 1);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             EXPECT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
             ::close(s);
             return path;
         }, false, "not a regular file", [](const std::string& d) { EXPECT_TRUE(fs::is_socket(d + "/sock")); }},
        {"empty name", [](const std::string&) { return std::string(); }, false, "No file name", nullptr},
        {"missing folder", [](const std::string& d) { return d + "/missing/data.csv"; }, false, "No such file",
         [](const std::string& d) { EXPECT_FALSE(fs::exists(d + "/missing")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string sub = dir_ + "/case";
        fs::create_directory(sub);
        const std::string path = c.make(sub);
        std::string error;
        EXPECT_EQ(WriteTextFileAtomically(path, text, &error), c.ok) << error;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
        if (c.check) c.check(sub);
        fs::remove_all(sub);
    }
}

TEST_F(AtomicWrite, APipeGetsTheTextAndStaysAPipe) {
    const std::string fifo = dir_ + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = std::async(std::launch::async, [&] { return Read(fifo); });
    std::string error;
    EXPECT_TRUE(WriteTextFileAtomically(fifo, "through the pipe\n", &error)) << error;
    EXPECT_EQ(reader.get(), "through the pipe\n");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"pipe"});
}

TEST_F(AtomicWrite, FailuresLeaveTheOldFile) {
    const std::string folder = dir_ + "/locked", path = folder + "/data.csv";
    fs::create_directory(folder);
    Put(path, "precious");
    ::chmod(path.c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    // Root ignores folder permissions, so the attempt runs as an ordinary user.
    const int readOnly = InChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 77;
        std::string error;
        return WriteTextFileAtomically(path, "replacement", &error) ? 1 : error.empty() ? 2 : 0;
    });
    // A file size limit makes the write stop after 4 KiB, as a full disk would.
    ::chmod(folder.c_str(), 0755);
    const int partWay = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 77;
        return WriteTextFileAtomically(path, std::string(1 << 20, 'y'), nullptr) ? 1 : 0;
    });
    EXPECT_TRUE(readOnly == 0 || readOnly == 77) << readOnly;  // 77: cannot drop root here
    EXPECT_EQ(partWay, 0);
    EXPECT_EQ(Read(path), "precious");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"data.csv"});
}

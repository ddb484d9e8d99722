// Saving the export: all or nothing for files, straight through for pipes and
// devices, refused for anything else; an existing file is never left damaged, and
// is replaced only once the new text is on the disk (synced before the rename).
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <future>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/syscall.h>

#include "cli_run.h"
#include "output/file_writer.h"

namespace fs = std::filesystem;

namespace {

class AtomicWrite : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir_.empty());
        ::chmod(dir_.c_str(), 0755);  // reachable for the unprivileged child below
    }
    static std::string Read(const std::string& path) { return cli_test::ReadFile(path); }
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
    cli_test::TempDir temp_;
    const std::string& dir_ = temp_.path();
};

}  // namespace

TEST_F(AtomicWrite, EachKindOfTarget) {
    using Dir = const std::string&;
    struct Case {
        const char* name;
        std::function<std::string(Dir)> make;  // prepares the folder, returns the path to write
        const char* refusal;                   // part of the message, or null when the write succeeds
        std::function<bool(Dir)> check;        // what must hold afterwards
    };
    const std::string text = "x, y\n1, 2\n";
    std::future<std::string> reader;
    const Case cases[] = {
        {"new file", [](Dir d) { return d + "/new.csv"; }, nullptr,
         [&](Dir d) { return Read(d + "/new.csv") == text && Names(d) == std::vector<std::string>{"new.csv"}; }},
        {"longer file of mode 0640",
         [](Dir d) {
             Put(d + "/old.csv", std::string(100000, 'o'));
             ::chmod((d + "/old.csv").c_str(), 0640);
             return d + "/old.csv";
         },
         nullptr, [&](Dir d) { return Read(d + "/old.csv") == text && fs::status(d + "/old.csv").permissions() == fs::perms(0640); }},
        {"chain of relative links",
         [](Dir d) {
             fs::create_directory(d + "/real");
             Put(d + "/real/data.csv", "old");
             fs::create_symlink("real/data.csv", d + "/one");
             fs::create_symlink("one", d + "/two");
             return d + "/two";
         },
         nullptr,
         [&](Dir d) {
             return fs::is_symlink(d + "/one") && fs::is_symlink(d + "/two") && Read(d + "/real/data.csv") == text &&
                    Names(d + "/real") == std::vector<std::string>{"data.csv"};
         }},
        {"dangling link", [](Dir d) { fs::create_symlink(d + "/later.csv", d + "/link"); return d + "/link"; }, nullptr,
         [&](Dir d) { return fs::is_symlink(d + "/link") && Read(d + "/later.csv") == text; }},
        {"pipe",
         [&](Dir d) {
             ::mkfifo((d + "/pipe").c_str(), 0600);
             reader = std::async(std::launch::async, [d] { return Read(d + "/pipe"); });
             return d + "/pipe";
         },
         nullptr,
         [&](Dir d) { return reader.get() == text && fs::is_fifo(d + "/pipe") && Names(d) == std::vector<std::string>{"pipe"}; }},
        {"/dev/full", [](Dir) { return std::string("/dev/full"); }, "No space left", [](Dir) { return fs::is_character_file("/dev/full"); }},
        {"folder", [](Dir d) { fs::create_directory(d + "/sub"); return d + "/sub"; }, "Is a directory",
         [](Dir d) { return fs::is_directory(d + "/sub"); }},
        {"socket",
         [](Dir d) {
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             (d + "/sock").copy(addr.sun_path, sizeof addr.sun_path - 1);
             const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
             ::close(s);
             return d + "/sock";
         },
         "not a regular file", [](Dir d) { return fs::is_socket(d + "/sock"); }},
        {"empty name", [](Dir) { return std::string(); }, "No file name", [](Dir) { return true; }},
        {"missing folder", [](Dir d) { return d + "/missing/data.csv"; }, "No such file",
         [](Dir d) { return !fs::exists(d + "/missing"); }},
    };
    for (const Case& c : cases) {
        const std::string sub = dir_ + "/case";
        fs::create_directory(sub);
        std::string error;
        EXPECT_EQ(WriteTextFileAtomically(c.make(sub), text, &error), c.refusal == nullptr) << c.name << ": " << error;
        if (c.refusal) { EXPECT_NE(error.find(c.refusal), std::string::npos) << c.name << ": " << error; }
        EXPECT_TRUE(c.check(sub)) << c.name;
        fs::remove_all(sub);
    }
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

namespace {
std::vector<std::string>* g_calls = nullptr;
}  // namespace

// The program's own calls land here first (it is linked into this test); the
// system calls underneath do the work.
extern "C" int fsync(int fd) {
    if (g_calls) g_calls->push_back("fsync");
    return static_cast<int>(syscall(SYS_fsync, fd));
}
extern "C" int rename(const char* from, const char* to) noexcept {
    if (g_calls) g_calls->push_back("rename");
    return static_cast<int>(syscall(SYS_renameat, AT_FDCWD, from, AT_FDCWD, to));
}

TEST_F(AtomicWrite, SyncsTheDataBeforeTheRename) {
    std::vector<std::string> calls;
    g_calls = &calls;
    const bool ok = WriteTextFileAtomically(dir_ + "/out.csv", "1, 2\n", nullptr);
    g_calls = nullptr;
    ASSERT_TRUE(ok);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ((std::vector<std::string>{calls[0], calls[1]}), (std::vector<std::string>{"fsync", "rename"}));
}

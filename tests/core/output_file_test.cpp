// Saving the export: all or nothing, an existing file is never left damaged.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
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
    static void Put(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
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

TEST_F(AtomicWrite, ReplacesContentWholeAndKeepsPermissions) {
    const std::string path = dir_ + "/data.csv";
    std::string error;
    ASSERT_TRUE(WriteTextFileAtomically(path, "first\n", &error)) << error;
    EXPECT_EQ(Read(path), "first\n");

    ::chmod(path.c_str(), 0640);
    const std::string longer(100000, 'x');
    ASSERT_TRUE(WriteTextFileAtomically(path, longer, &error)) << error;
    EXPECT_EQ(Read(path), longer);
    ASSERT_TRUE(WriteTextFileAtomically(path, "short", nullptr));
    EXPECT_EQ(Read(path), "short");  // nothing of the longer content remains
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"data.csv"});  // no temporary left over
}

TEST_F(AtomicWrite, FollowsALinkAndRefusesAFolder) {
    const std::string target = dir_ + "/real.csv", link = dir_ + "/link.csv";
    Put(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteTextFileAtomically(link, "new", nullptr));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(target), "new");

    std::string error;
    fs::create_directory(dir_ + "/sub");
    EXPECT_FALSE(WriteTextFileAtomically(dir_ + "/sub", "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir_ + "/sub"));
    EXPECT_FALSE(WriteTextFileAtomically("", "x", &error));
}

TEST_F(AtomicWrite, MissingFolderFails) {
    std::string error;
    EXPECT_FALSE(WriteTextFileAtomically(dir_ + "/missing/data.csv", "x", &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir_ + "/missing"));
}

TEST_F(AtomicWrite, ReadOnlyFolderFailsAndKeepsTheFile) {
    const std::string folder = dir_ + "/locked", path = folder + "/data.csv";
    fs::create_directory(folder);
    Put(path, "precious");
    ::chmod(path.c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    // Root ignores folder permissions, so the attempt runs as an ordinary user.
    const int status = InChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 77;
        std::string error;
        const bool ok = WriteTextFileAtomically(path, "replacement", &error);
        return ok ? 1 : error.empty() ? 2 : 0;
    });
    if (status == 77) GTEST_SKIP() << "cannot drop root privileges here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(path), "precious");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"data.csv"});
}

TEST_F(AtomicWrite, WriteFailingPartWayLeavesTheOldFile) {
    const std::string path = dir_ + "/data.csv";
    Put(path, "precious");
    // A file size limit makes the write stop after 4 KiB, as a full disk would.
    const int status = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 77;
        std::string error;
        return WriteTextFileAtomically(path, std::string(1 << 20, 'y'), &error) ? 1 : 0;
    });
    if (status == 77) GTEST_SKIP() << "cannot limit the file size here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read(path), "precious");
    EXPECT_EQ(Names(dir_), std::vector<std::string>{"data.csv"});
}

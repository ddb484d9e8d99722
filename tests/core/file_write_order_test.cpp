// An export replaces its file only once the new text is on the disk: the data is
// synced before the file's name is moved onto it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "output/file_writer.h"

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

TEST(AtomicWriteOrder, SyncsTheDataBeforeTheRename) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("plotsnap-order-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> calls;
    g_calls = &calls;
    const bool ok = WriteTextFileAtomically((dir / "out.csv").string(), "1, 2\n", nullptr);
    g_calls = nullptr;
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(ok);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "fsync");
    EXPECT_EQ(calls[1], "rename");
}

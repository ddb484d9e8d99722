#include "output/file_writer.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(std::string* error, const std::string& what, int err) {
    if (error) *error = err ? what + ": " + std::strerror(err) : what;
    return false;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        errno = 0;
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    if (path.empty()) return Fail(error, "No file name given", ENOENT);

    // Follow links to the file they lead to, so the new file lands beside it; a link
    // whose target is missing names the file to create.
    std::string target = path;
    struct stat st {};
    for (int hops = 0; ::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode); ++hops) {
        if (hops == 40) return Fail(error, "Cannot write '" + path + "'", ELOOP);
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) return Fail(error, "Cannot write '" + path + "'", errno);
        link.resize(static_cast<size_t>(n));
        target = link.front() == '/' ? link : FolderOf(target) + "/" + link;
    }
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        // A pipe or a device cannot be replaced; it takes the text as a stream.
        const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return Fail(error, "Cannot write '" + path + "'", errno);
        int err = WriteAll(fd, text) ? 0 : (errno ? errno : EIO);
        if (::close(fd) != 0 && err == 0) err = errno;
        return err == 0 || Fail(error, "Cannot write '" + path + "'", err);
    }
    if (exists && S_ISDIR(st.st_mode)) return Fail(error, "Cannot write '" + path + "'", EISDIR);
    if (exists && !S_ISREG(st.st_mode))
        return Fail(error, "Cannot write '" + path + "': not a regular file, a pipe or a character device",
                    0);

    // A name of our own beside the target, so the final rename stays on one file system.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return Fail(error, "Cannot create a file in folder '" + FolderOf(target) + "'", errno);

    int err = 0;
    if (!WriteAll(fd, text))
        err = errno ? errno : EIO;
    else if (exists && ::fchmod(fd, st.st_mode & 07777) != 0)
        err = errno;
    else if (::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return Fail(error, "Cannot write '" + path + "'", err);
    }
    // Make the rename itself durable; a failure here no longer puts the data at risk.
    const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

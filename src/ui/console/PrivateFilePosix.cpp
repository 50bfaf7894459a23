// Support files on POSIX: opened without following a link, made private when they exist.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "ui/console/PrivateFile.h"

namespace {

std::string Message(int error) { return std::generic_category().message(error); }

}  // namespace

std::FILE* OpenPrivateFile(const std::string& path, PrivateFileMode mode, std::string& reason) {
    const bool append = mode == PrivateFileMode::Append;
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) {
        const int error = errno;
        // A link as the last part of the name is refused with ELOOP (EMLINK on some systems).
        struct stat link {};
        if ((error == ELOOP || error == EMLINK) && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            reason = "a symbolic link, which is not followed";
        else
            reason = Message(error);
        return nullptr;
    }
    // A file made earlier keeps its mode through an open: it is made the user's alone here. A
    // device such as /dev/null is written but never changed.
    struct stat info {};
    if (::fstat(fd, &info) != 0 ||
        (S_ISREG(info.st_mode) && (info.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0)) {
        reason = "cannot be made private: " + Message(errno);
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, append ? "ab" : "wb");
    if (!file) {
        reason = Message(errno);
        ::close(fd);
    }
    return file;
}

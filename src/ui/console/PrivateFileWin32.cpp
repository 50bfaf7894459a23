// Support files on Windows: opened as any other file (a user's files there are their own by the
// profile's permissions).
#include <cerrno>
#include <cstring>

#include "ui/console/PrivateFile.h"

std::FILE* OpenPrivateFile(const std::string& path, PrivateFileMode mode, std::string& reason) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), mode == PrivateFileMode::Append ? "ab" : "w");
    if (!file) reason = errno ? std::strerror(errno) : "cannot be opened";
    return file;
}

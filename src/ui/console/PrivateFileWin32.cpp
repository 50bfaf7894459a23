// Support files on Windows: opened as any other file (a user's files there are their own by the
// profile's permissions).
#include <cerrno>
#include <cstring>

#include "platform/win32/WideText.h"
#include "ui/console/PrivateFile.h"

std::FILE* OpenPrivateFile(const std::string& path, PrivateFileMode mode, std::string& reason) {
    errno = 0;
    // The path is UTF-8; a narrow open would take the ANSI code page.
    std::FILE* file = _wfopen(WideText(path).c_str(), mode == PrivateFileMode::Append ? L"ab" : L"w");
    if (!file) reason = errno ? std::strerror(errno) : "cannot be opened";
    return file;
}

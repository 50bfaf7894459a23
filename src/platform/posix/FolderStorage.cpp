#include "platform/FolderStorage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "journal/StateFolder.h"

namespace {

std::string ErrorText(int error) { return std::generic_category().message(error); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder, std::string& reason) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            reason = part + ": " + ErrorText(errno);
            return false;
        }
    }
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        reason = folder + ": " + ErrorText(errno ? errno : ENOTDIR);
        return false;
    }
    return true;
}

// The rename itself is on the disk only once the folder is.
bool SyncFolder(const std::string& folder, std::string& reason) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
        reason = folder + ": " + ErrorText(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

} // namespace

std::string FolderStorage::DefaultFolder() {
    return PosixStateFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string FolderStorage::PathOf(std::string_view name) const { return folder_ + "/" + std::string(name); }

bool FolderStorage::WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) {
    const std::string folder = FolderOf(path);
    if (!MakeFolders(folder, reason)) return false;
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        reason = temporary + ": " + ErrorText(errno);
        return false;
    }
    const bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (!written || !closed) {
        reason = temporary + ": " + ErrorText(written ? errno : writeError);
        unlink(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        reason = path + ": " + ErrorText(errno);
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(folder, reason);
}

bool FolderStorage::Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = path + ": " + ErrorText(errno);
        return false;
    }
    out.clear();
    uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = path + ": " + ErrorText(errno);
            break;
        }
        if (n == 0) {
            close(fd);
            return true;
        }
        if (out.size() + static_cast<std::size_t>(n) > limit) {
            reason = path + ": larger than a journal can be";
            break;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    close(fd);
    return false;
}

std::vector<std::string> FolderStorage::List() {
    std::vector<std::string> paths;
    DIR* dir = opendir(folder_.c_str());
    if (!dir) return paths;
    while (const dirent* entry = readdir(dir)) {
        const std::string path = PathOf(entry->d_name);
        struct stat info {};
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) paths.push_back(path);
    }
    closedir(dir);
    return paths;
}

bool FolderStorage::MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                             std::string& reason) {
    std::string target = path + std::string(suffix);
    for (int n = 2; Exists(target); ++n) target = path + "-" + std::to_string(n) + std::string(suffix);
    if (rename(path.c_str(), target.c_str()) != 0) {
        reason = path + ": " + ErrorText(errno);
        return false;
    }
    moved = target;
    return SyncFolder(FolderOf(target), reason);
}

#include "platform/FolderStorage.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "journal/StateFolder.h"
#include "platform/NumberedName.h"

namespace {

// A file replaced between our open and our lock is opened again; this many times at most.
constexpr int kOpenAttempts = 100;

std::string ErrorText(int error) { return std::generic_category().message(error); }
std::string Failure(const std::string& path) { return path + ": " + ErrorText(errno); }

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~Descriptor() { Close(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    bool Close() { return fd_ < 0 || close(std::exchange(fd_, -1)) == 0; }

private:
    int fd_ = -1;
};

// flock belongs to the open file, so the lock lives as long as this descriptor.
class PosixLock final : public StorageLock {
public:
    PosixLock(Descriptor file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    // The file under the path now is `file`, locked already; the old one's lock goes with it.
    void Replace(Descriptor file) { file_ = std::move(file); }

private:
    Descriptor file_;
    std::string path_;
};

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

enum class Opened { Locked, InUse, Missing, Failed };

// Opens the regular file at `path`, never through a link, and takes the flock `how` on it: LOCK_EX
// to hold it, LOCK_SH to read it or to guard a rename or a rewrite by someone not holding it (that
// keeps holders away, not readers). A rename puts another file under the path, so the lock counts
// only while the path still names the file locked.
Opened OpenLocked(const std::string& path, int how, Descriptor& file, std::string& reason) {
    // On NFS flock is emulated with fcntl locks, and an exclusive one needs a descriptor open for
    // writing: without it the lock fails there however free the file is.
    const int access = how == LOCK_EX ? O_RDWR : O_RDONLY;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        // O_NONBLOCK: a FIFO planted under the name must not hang the open.
        file = Descriptor(open(path.c_str(), access | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
        if (!file) {
            const int error = errno;
            reason = path + ": " + ErrorText(error);
            return error == ENOENT ? Opened::Missing : Opened::Failed;
        }
        struct stat opened {};
        if (fstat(file.get(), &opened) != 0) {
            reason = Failure(path);
            return Opened::Failed;
        }
        if (!S_ISREG(opened.st_mode)) {
            reason = path + ": not a regular file";
            return Opened::Failed;
        }
        if (flock(file.get(), how | LOCK_NB) != 0) {
            // Only a lock someone holds is "in use"; any other failure (no lock manager on a network
            // share, say) must not pass for another run.
            const bool held = errno == EWOULDBLOCK || errno == EAGAIN;
            reason = held ? path + ": " + kStorageInUse : Failure(path);
            return held ? Opened::InUse : Opened::Failed;
        }
        struct stat named {};
        if (lstat(path.c_str(), &named) == 0 && SameFile(opened, named)) return Opened::Locked;
    }
    reason = path + ": replaced again and again while being opened";
    return Opened::Failed;
}

// Mode 0700: the program's state is the user's alone.
bool MakeFolders(const std::string& folder, std::string& reason) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            reason = Failure(part);
            return false;
        }
    }
    return true;
}

// Whether the folder described by `info` may hold the program's state.
bool JudgeFolder(const std::string& folder, const struct stat& info, std::string& reason) {
    if (!S_ISDIR(info.st_mode)) {
        reason = folder + ": not a folder";
        return false;
    }
    if (info.st_uid != geteuid()) {
        reason = folder + ": belongs to another user";
        return false;
    }
    if ((info.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        reason = folder + ": open to other users (mode " + mode + ")";
        return false;
    }
    return true;
}

// The rename itself is on the disk only once the folder is.
bool SyncFolder(const std::string& folder, std::string& reason) {
    const Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd || fsync(fd.get()) != 0) {
        reason = Failure(folder);
        return false;
    }
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

// A private file beside the one it is to become: a name nobody else has (mkostemp), mode 0600,
// locked before anyone else could know the name, and removed again unless it was put in place.
class Temporary {
public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() {
        if (!path_.empty()) unlink(path_.c_str());
    }

    bool Write(const std::string& beside, std::span<const uint8_t> bytes, std::string& reason) {
        std::string name = beside + ".tmp-XXXXXX";
        file_ = Descriptor(mkostemp(name.data(), O_CLOEXEC));
        if (!file_) {
            reason = Failure(FolderOf(beside));
            return false;
        }
        path_ = name;
        if (flock(file_.get(), LOCK_EX | LOCK_NB) != 0 || !WriteAll(file_.get(), bytes) || fsync(file_.get()) != 0) {
            reason = Failure(path_);
            return false;
        }
        return true;
    }
    const std::string& Path() const { return path_; }
    // Its name has gone (renamed over the file it became, or removed by the caller); the file and
    // its lock go to the caller.
    Descriptor Release() {
        path_.clear();
        return std::move(file_);
    }

private:
    Descriptor file_;
    std::string path_;
};

bool ReadAll(int fd, const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    uint8_t chunk[4096];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = Failure(path);
            return false;
        }
        if (n == 0) return true;
        if (out.size() + static_cast<std::size_t>(n) > limit) {
            reason = path + ": larger than a journal can be";
            return false;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
}

}  // namespace

std::string FolderStorage::DefaultFolder() {
    return PosixStateFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

std::string FolderStorage::PathOf(std::string_view name) const { return folder_ + "/" + std::string(name); }

bool FolderStorage::Holds(const std::string& path) const {
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..") return false;
    struct stat named {
    }, ours{};
    return stat(FolderOf(path).c_str(), &named) == 0 && stat(folder_.c_str(), &ours) == 0 && SameFile(named, ours);
}

bool FolderStorage::CheckFolder(std::string& reason) {
    if (folder_.empty()) {
        reason = "no folder named";
        return false;
    }
    if (!MakeFolders(folder_, reason)) return false;
    struct stat info {};
    if (stat(folder_.c_str(), &info) != 0) {
        reason = Failure(folder_);
        return false;
    }
    return JudgeFolder(folder_, info, reason);
}

bool FolderStorage::CheckFolderForReading(std::string& reason) {
    if (folder_.empty()) {
        reason = "no folder named";
        return false;
    }
    struct stat info {};
    if (stat(folder_.c_str(), &info) != 0) {
        const int error = errno;
        // Missing: nothing to read. A link that leads nowhere is not missing, as CheckFolder sees it.
        struct stat link {};
        if (error == ENOENT && lstat(folder_.c_str(), &link) != 0) return true;
        reason = folder_ + ": " + ErrorText(error);
        return false;
    }
    return JudgeFolder(folder_, info, reason);
}

std::unique_ptr<StorageLock> FolderStorage::CreateLocked(std::string_view stem, std::string_view suffix,
                                                         std::span<const uint8_t> bytes, std::string& path,
                                                         std::string& reason) {
    const std::string base = PathOf(stem);
    if (!MakeFolders(folder_, reason)) return nullptr;
    Temporary temporary;
    if (!temporary.Write(NumberedName(base, 1, suffix), bytes, reason)) return nullptr;
    // link(2) never replaces a name: the file appears whole, locked, under a name nobody had.
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string name = NumberedName(base, n, suffix);
        if (link(temporary.Path().c_str(), name.c_str()) != 0) {
            if (errno == EEXIST) continue;
            reason = Failure(name);
            return nullptr;
        }
        unlink(temporary.Path().c_str());
        Descriptor file = temporary.Release();
        if (!SyncFolder(folder_, reason)) {
            unlink(name.c_str());
            return nullptr;
        }
        path = name;
        return std::make_unique<PosixLock>(std::move(file), name);
    }
    reason = NumberedName(base, 1, suffix) + ": every numbered name is taken";
    return nullptr;
}

bool FolderStorage::WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                                    StorageLock* lock) {
    auto* const held = dynamic_cast<PosixLock*>(lock);
    if (lock && (!held || held->Path() != path)) {
        reason = path + ": the lock given is another file's";
        return false;
    }
    if (!MakeFolders(FolderOf(path), reason)) return false;
    Descriptor guard;
    if (!held) {
        const Opened opened = OpenLocked(path, LOCK_SH, guard, reason);
        if (opened == Opened::InUse || opened == Opened::Failed) return false;
    }
    Temporary temporary;
    if (!temporary.Write(path, bytes, reason)) return false;
    if (rename(temporary.Path().c_str(), path.c_str()) != 0) {
        reason = Failure(path);
        return false;
    }
    Descriptor placed = temporary.Release();
    if (held) held->Replace(std::move(placed));
    return SyncFolder(FolderOf(path), reason);
}

ReadOutcome FolderStorage::Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out,
                                std::string& reason, std::unique_ptr<StorageLock>* keep) {
    Descriptor file;
    // A shared lock for a plain read: readers do not stand in each other's way.
    switch (OpenLocked(path, keep ? LOCK_EX : LOCK_SH, file, reason)) {
    case Opened::Locked: break;
    case Opened::InUse: return ReadOutcome::InUse;
    case Opened::Missing:
    case Opened::Failed: return ReadOutcome::Failed;
    }
    if (!ReadAll(file.get(), path, limit, out, reason)) return ReadOutcome::Failed;
    if (keep) *keep = std::make_unique<PosixLock>(std::move(file), path);
    return ReadOutcome::Read;
}

std::vector<std::string> FolderStorage::List() {
    std::vector<std::string> paths;
    DIR* dir = opendir(folder_.c_str());
    if (!dir) return paths;
    while (const dirent* entry = readdir(dir)) {
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            paths.push_back(PathOf(entry->d_name));
    }
    closedir(dir);
    return paths;
}

bool FolderStorage::MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                              std::string& reason) {
    Descriptor guard;
    if (OpenLocked(path, LOCK_SH, guard, reason) != Opened::Locked) return false;
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string target = NumberedName(path, n, suffix);
        if (link(path.c_str(), target.c_str()) != 0) {
            if (errno == EEXIST) continue;
            reason = Failure(target);
            return false;
        }
        if (unlink(path.c_str()) != 0) {
            reason = Failure(path);
            unlink(target.c_str());
            return false;
        }
        moved = target;
        return SyncFolder(FolderOf(target), reason);
    }
    reason = NumberedName(path, 1, suffix) + ": every numbered name is taken";
    return false;
}

#include "PowerCutDisk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/FolderStorage.h"

namespace power_cut_disk {
namespace {

using Bytes = std::vector<uint8_t>;
using Key = std::pair<dev_t, ino_t>;

struct Folder {
    std::string path;
    int watches = 0;
    // Each name as the last fsync of the folder left it: the model's file under it.
    std::map<std::string, uint64_t> durableNames;
};

// Files are the model's own numbers, not inode numbers: ext4 gives a freed inode's number to the
// next new file, and the durable content of the old one must not pass to it.
struct Model {
    std::mutex mutex;
    std::vector<Folder> folders;
    std::map<Key, uint64_t> files;  // the files on the disk now, of the watched folders
    std::map<uint64_t, Bytes> durableContent;
    uint64_t nextFile = 1;
};

Model& TheModel() {
    static Model model;
    return model;
}

Key KeyOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

std::optional<Key> FolderKey(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    return KeyOf(info);
}

Folder* WatchedFolder(Model& model, const Key& key) {
    for (Folder& folder : model.folders)
        if (FolderKey(folder.path) == key) return &folder;
    return nullptr;
}

// The folder the open file's name is in, when that is a watched one.
Folder* FolderOfOpenFile(Model& model, int fd) {
    char name[4096];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name - 1);
    if (n <= 0) return nullptr;
    const std::string path(name, static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return nullptr;
    const auto key = FolderKey(path.substr(0, slash));
    return key ? WatchedFolder(model, *key) : nullptr;
}

uint64_t FileOf(Model& model, const Key& key) {
    const auto [it, added] = model.files.emplace(key, model.nextFile);
    if (added) ++model.nextFile;
    return it->second;
}

// Through /proc so that a descriptor open for writing only, or a file with no name left, reads too.
std::optional<Bytes> ContentOf(int fd) {
    const int reader = open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0) return std::nullopt;
    Bytes content;
    uint8_t chunk[4096];
    ssize_t n = 0;
    while ((n = read(reader, chunk, sizeof chunk)) > 0) content.insert(content.end(), chunk, chunk + n);
    close(reader);
    if (n < 0) return std::nullopt;
    return content;
}

// The regular files of the folder now, by name.
std::map<std::string, Key> Listing(const std::string& path) {
    std::map<std::string, Key> names;
    DIR* dir = opendir(path.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        struct stat info {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
            names.emplace(entry->d_name, KeyOf(info));
    }
    closedir(dir);
    return names;
}

// After a successful fsync of `fd`: what it made durable.
void Synced(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return;
    Model& model = TheModel();
    const std::lock_guard hold(model.mutex);
    if (S_ISDIR(info.st_mode)) {
        Folder* folder = WatchedFolder(model, KeyOf(info));
        if (!folder) return;
        folder->durableNames.clear();
        for (const auto& [name, key] : Listing(folder->path)) folder->durableNames[name] = FileOf(model, key);
        return;
    }
    if (!S_ISREG(info.st_mode)) return;
    if (!model.files.contains(KeyOf(info)) && !FolderOfOpenFile(model, fd)) return;
    if (auto content = ContentOf(fd)) model.durableContent[FileOf(model, KeyOf(info))] = std::move(*content);
}

// A new file: a model file of its own, whatever file had its inode number before.
void Made(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return;
    Model& model = TheModel();
    const std::lock_guard hold(model.mutex);
    if (!FolderOfOpenFile(model, fd)) return;
    model.files[KeyOf(info)] = model.nextFile++;
}

bool WriteFile(const std::string& path, const Bytes& content) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    return done == content.size();
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

Watch::Watch(std::string folder) : folder_(std::move(folder)) {
    Model& model = TheModel();
    const std::lock_guard hold(model.mutex);
    for (Folder& watched : model.folders) {
        if (watched.path == folder_) {
            ++watched.watches;
            return;
        }
    }
    Folder watched{folder_, 1, {}};
    for (const auto& [name, key] : Listing(folder_)) {
        const uint64_t file = FileOf(model, key);
        const int fd = open((folder_ + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (auto content = ContentOf(fd)) model.durableContent[file] = std::move(*content);
        close(fd);
        watched.durableNames[name] = file;
    }
    model.folders.push_back(std::move(watched));
}

Watch::~Watch() {
    Model& model = TheModel();
    const std::lock_guard hold(model.mutex);
    for (auto it = model.folders.begin(); it != model.folders.end(); ++it) {
        if (it->path != folder_ || --it->watches > 0) continue;
        model.folders.erase(it);
        break;
    }
    // A campaign's seeds follow one another: with no folder left, nothing of theirs is kept.
    if (model.folders.empty()) {
        model.files.clear();
        model.durableContent.clear();
    }
}

void Cut() {
    Model& model = TheModel();
    const std::lock_guard hold(model.mutex);
    // The files on the disk after the cut are new ones; the durable content goes with the model's
    // numbers, which stay.
    model.files.clear();
    for (Folder& folder : model.folders) {
        for (const auto& [name, key] : Listing(folder.path)) unlink((folder.path + "/" + name).c_str());
        std::map<std::string, uint64_t> kept;
        std::map<uint64_t, std::string> made;  // a file with several names is made once, then linked
        for (const auto& [name, file] : folder.durableNames) {
            // A name whose file never had its content on the disk goes: the older state.
            const auto content = model.durableContent.find(file);
            if (content == model.durableContent.end()) continue;
            const std::string path = folder.path + "/" + name;
            const auto first = made.find(file);
            if (!(first == made.end() ? WriteFile(path, content->second)
                                      : link(first->second.c_str(), path.c_str()) == 0))
                std::abort();  // a disk the model cannot restore tests nothing
            made.emplace(file, path);
            struct stat info {};
            if (lstat(path.c_str(), &info) == 0) model.files[KeyOf(info)] = file;
            kept[name] = file;
        }
        folder.durableNames = std::move(kept);
    }
}

std::string SelfCheck(const std::string& folder) {
    const auto read = [&](const std::string& name) -> std::optional<Bytes> {
        const int fd = open((folder + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::nullopt;
        auto content = ContentOf(fd);
        close(fd);
        return content;
    };
    const auto made = [&](std::string_view bytes, bool sync) -> std::string {
        std::string path = folder + "/raw.tmp-XXXXXX";
        const int fd = mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) return {};
        const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        if (sync) fsync(fd);
        close(fd);
        return written ? path : std::string();
    };
    const auto syncFolder = [&] {
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        fsync(fd);
        close(fd);
    };
    const Bytes whole{1, 2, 3}, rewritten{4, 5};
    std::string oldPath, unsynced, renamed;
    {
        Watch watch(folder);
        FolderStorage storage(folder);
        std::string path, reason;
        // The real storage's calls: both writes durable when they return.
        if (!storage.CreateLocked("whole", ".journal", whole, path, reason)) return "CreateLocked: " + reason;
        if (!storage.WriteAtomically(storage.PathOf("rewritten.journal"), rewritten, reason))
            return "WriteAtomically: " + reason;
        // Files and names durable, then changed without fsync: new bytes, and another file renamed
        // over one; one file's name is durable but never its content.
        oldPath = made("old", true);
        renamed = made("new", true);
        unsynced = made("never synced", false);
        if (oldPath.empty() || renamed.empty() || unsynced.empty()) return "no raw file made";
        syncFolder();
        const int fd = open(oldPath.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0 || pwrite(fd, "changed", 7, 0) != 7) return "old file not rewritten";
        close(fd);
        if (rename(renamed.c_str(), oldPath.c_str()) != 0) return "no rename";
        const std::string lost = made("lost", false);
        Cut();
        const auto name = [](const std::string& p) { return p.substr(p.rfind('/') + 1); };
        if (read("whole.journal") != whole) return "a file CreateLocked wrote did not survive the cut";
        if (read("rewritten.journal") != rewritten) return "a file WriteAtomically wrote did not survive the cut";
        if (read(name(oldPath)) != Bytes{'o', 'l', 'd'})
            return "a durable file does not hold its durable content after the cut";
        if (read(name(renamed)) != Bytes{'n', 'e', 'w'}) return "a rename with no fsync of its folder stayed";
        if (read(name(unsynced))) return "a file whose content was never fsynced survived the cut";
        if (read(name(lost))) return "a file never made durable survived the cut";
    }
    return {};
}

}  // namespace power_cut_disk

// The calls by which the storage linked into this program makes data durable and new files: the
// system's, with the model told what they did.
extern "C" int fsync(int fd) {
    static const auto real = power_cut_disk::Real<int (*)(int)>("fsync");
    const int result = real(fd);
    if (result == 0) power_cut_disk::Synced(fd);
    return result;
}

extern "C" int fdatasync(int fd) {
    static const auto real = power_cut_disk::Real<int (*)(int)>("fdatasync");
    const int result = real(fd);
    if (result == 0) power_cut_disk::Synced(fd);
    return result;
}

extern "C" int mkostemp(char* name, int flags) {
    static const auto real = power_cut_disk::Real<int (*)(char*, int)>("mkostemp");
    const int fd = real(name, flags);
    if (fd >= 0) power_cut_disk::Made(fd);
    return fd;
}

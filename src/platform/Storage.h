#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Held by a run on its own journal for the run's whole life (and on a journal it restores from):
// while it is held, Read from any other holder (another process, or another open of the same
// file in this process) answers InUse. A plain Read by the holder itself is such an open too and
// answers InUse: the holder knows the content, it wrote it or read it when it took the lock.
// Released when destroyed; the system releases it when the process ends, however it ends.
class StorageLock {
public:
    virtual ~StorageLock() = default;
};

enum class ReadOutcome { Read, InUse, Failed };

// The reason given when someone else holds the file.
inline constexpr const char* kStorageInUse = "in use by another run";

// A folder of small files that must survive a crash or a power cut whole or not at all, shared
// by every instance of the program under one account. Paths are full paths; `PathOf` names a file
// of the folder. Every failure comes back with the system's reason, naming the file or folder.
// Calls may come from several threads at once.
class Storage {
public:
    virtual ~Storage() = default;

    virtual std::string Folder() const = 0;
    virtual std::string PathOf(std::string_view name) const = 0;
    // Whether `path` names a file of this storage's folder (so the program may rename it).
    virtual bool Holds(const std::string& path) const = 0;

    // The folder may hold the program's state: it exists (made now when missing, 0700, parents as
    // needed), is a folder, and on POSIX is owned by the effective user and not open to group or
    // others. False with the reason, naming the folder and what is wrong, otherwise. The calls
    // that write make a missing folder the same way, but judge none.
    virtual bool CheckFolder(std::string& reason) = 0;
    // The same judgement before reading the folder, making nothing: a missing folder is fine
    // (nothing to read); anything else wrong is false with the reason CheckFolder gives.
    virtual bool CheckFolderForReading(std::string& reason) = 0;

    // Reserves a new file named stem + suffix, else stem + "-2" + suffix, "-3", ...: never a name
    // that exists, nor one another process or thread takes at the same moment. Writes the bytes
    // durably and returns the lock on the new file, held from the moment the name exists; `path`
    // receives the file's path. nullptr with the reason on failure, nothing left behind.
    virtual std::unique_ptr<StorageLock> CreateLocked(std::string_view stem, std::string_view suffix,
                                                      std::span<const uint8_t> bytes, std::string& path,
                                                      std::string& reason) = 0;
    // Replaces the file's content in one step (a private temporary file written and flushed, then
    // put under the name): after an interruption the file holds its old content or the new one,
    // never a mix. A missing file is made. With `lock` (the lock this caller holds on that file)
    // the new content is locked by it from the moment it appears. Without `lock` the file is
    // locked for the rewrite only, and the call fails (kStorageInUse) when someone else holds it.
    virtual bool WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                                 StorageLock* lock = nullptr) = 0;
    // Reads a file unless someone else holds its lock (InUse, with kStorageInUse as the reason);
    // files larger than `limit` are refused rather than read. With `keep`, the caller takes the
    // lock (exclusively) as it reads and keeps it in *keep; the content read is the content locked.
    // Such a read opens the file for writing too: an NFS home grants an exclusive lock only then.
    // InUse means only that someone else holds the lock; any other failure to take it is Failed,
    // with the system's reason naming the file.
    virtual ReadOutcome Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason,
                             std::unique_ptr<StorageLock>* keep = nullptr) = 0;
    // The full paths of the regular files of the folder (links are none); empty when the folder
    // does not exist.
    virtual std::vector<std::string> List() = 0;
    // Renames the file in its own folder to path + suffix, else path + "-2" + suffix, ...: a name
    // reserved atomically, so no existing file is ever replaced, even when another process races
    // for it. Refuses (kStorageInUse) a file someone else holds. `moved` receives the new path.
    virtual bool MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                           std::string& reason) = 0;
};

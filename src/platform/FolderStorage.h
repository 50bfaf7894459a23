#pragma once

#include <string>
#include <utility>

#include "platform/Storage.h"

// The storage of one folder of the machine. Each platform defines it in its own folder: POSIX
// locks with flock(2), reserves names with link(2) and fsyncs files and the folder; Windows locks
// with share modes, reserves names with MoveFileExW and flushes files with write-through. Two
// objects on one folder behave as two instances of the program.
class FolderStorage : public Storage {
public:
    explicit FolderStorage(std::string folder) : folder_(std::move(folder)) {}

    // The user's state folder for this program, from the environment; empty when none.
    static std::string DefaultFolder();

    std::string Folder() const override { return folder_; }
    std::string PathOf(std::string_view name) const override;
    bool Holds(const std::string& path) const override;
    bool CheckFolder(std::string& reason) override;
    bool CheckFolderForReading(std::string& reason) override;
    std::unique_ptr<StorageLock> CreateLocked(std::string_view stem, std::string_view suffix,
                                              std::span<const uint8_t> bytes, std::string& path,
                                              std::string& reason) override;
    bool WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                         StorageLock* lock = nullptr) override;
    ReadOutcome Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason,
                     std::unique_ptr<StorageLock>* keep = nullptr) override;
    std::vector<std::string> List() override;
    bool MoveAside(const std::string& path, std::string_view suffix, std::string& moved, std::string& reason) override;

private:
    std::string folder_;
};

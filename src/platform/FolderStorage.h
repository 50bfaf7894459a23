#pragma once

#include <string>
#include <utility>

#include "platform/Storage.h"

// The storage of one folder of the machine. Each platform defines it in its own folder: POSIX
// writes a temporary file, fsyncs it, renames it and fsyncs the folder (made with mode 0700);
// Windows flushes the file's buffers and moves it with write-through.
class FolderStorage : public Storage {
public:
    explicit FolderStorage(std::string folder) : folder_(std::move(folder)) {}

    // The user's state folder for this program, from the environment; empty when none.
    static std::string DefaultFolder();

    std::string Folder() const override { return folder_; }
    std::string PathOf(std::string_view name) const override;
    bool WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) override;
    bool Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) override;
    std::vector<std::string> List() override;
    bool MoveAside(const std::string& path, std::string_view suffix, std::string& moved, std::string& reason) override;

private:
    std::string folder_;
};

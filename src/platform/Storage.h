#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A folder of small files that must survive a crash or a power cut whole or not at all. Paths
// are full paths; `PathOf` names a file of the folder. Every failure comes back as false with
// the system's reason.
class Storage {
public:
    virtual ~Storage() = default;

    virtual std::string Folder() const = 0;
    virtual std::string PathOf(std::string_view name) const = 0;

    // Replaces the file's content in one step (a temporary file written and flushed to the disk,
    // then renamed over it): after an interruption the file holds its old content or the new
    // one, never a mix. Creates the folder when it is missing.
    virtual bool WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) = 0;
    // Files larger than `limit` are refused rather than read.
    virtual bool Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) = 0;
    // The full paths of the regular files of the folder; empty when the folder does not exist.
    virtual std::vector<std::string> List() = 0;
    // Renames the file in its own folder to a name that ends in `suffix` and is not taken yet;
    // `moved` receives the new path.
    virtual bool MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                           std::string& reason) = 0;
};

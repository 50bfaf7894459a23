#pragma once

#include <string>

// The disk under the journal folders of this program as a power cut leaves it. This program
// defines fsync, fdatasync and mkostemp itself, so the real FolderStorage linked into it makes its
// data durable through them: a file's content counts as on the disk once the file is fsynced, and
// the folder's names (made by link, rename or unlink) once the folder is. A cut puts each watched
// folder back, on the real disk, to that durable state.
namespace power_cut_disk {

// Watches the folder (made or not yet) for as long as it lives; what it holds now counts as durable.
class Watch {
public:
    explicit Watch(std::string folder);
    ~Watch();
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;

private:
    std::string folder_;
};

// The power goes: every watched folder holds again only what was durable. Its files must no longer
// be written by anyone (the programs using them are gone).
void Cut();

// The model at work on a folder of its own (existing, empty): empty when it keeps what was made
// durable and loses the rest, else what it got wrong.
std::string SelfCheck(const std::string& folder);

}  // namespace power_cut_disk

#pragma once

#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "journal/JournalFormat.h"
#include "platform/Storage.h"

struct JournalFile {
    std::string path;
    JournalEntry entry;
    std::unique_ptr<StorageLock> lock;  // held while this run writes the file's data back
    bool released = false;              // superseded by this run: a later journal holds its data
};

// A file that looked like a journal but cannot be used; it has been moved aside for support.
struct JournalProblem {
    std::string path;    // where it was found
    std::string keptAs;  // where it is now (empty when it could not be moved)
    std::string text;    // why it is not used
    bool inUse = false;  // a running update holds it: not a problem, just not ours to use now
};

struct JournalListing {
    std::string path;
    bool usable = false;
    JournalHeader header;  // when usable
    std::string problem;   // when not
    bool inUse = false;    // a running update holds it; read neither
};

// The journals of the runs, one file per run in the storage's folder: written before anything is
// erased, marked as the run gets on, kept when it has finished.
class Journal {
public:
    explicit Journal(Storage& storage);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Writes this run's journal (its progress: saved) under a name of its own, and holds its lock
    // until the next Begin or the end of this object. False, with the reason, when the folder is
    // not fit for it or it did not reach the disk; the run then has no journal and the marks
    // below do nothing.
    bool Begin(const JournalEntry& entry, std::string& reason);
    bool MarkProgrammingStarted(std::string& reason);
    bool MarkWriteBackFinished(std::string& reason);
    bool MarkFinished(std::string& reason);
    bool Active() const { return current_ != nullptr; }
    // This run's journal; null when it has none.
    const JournalEntry* Current() const { return current_.get(); }
    std::string Folder() const;
    const std::string& CurrentPath() const { return currentPath_; }

    // The journals of runs that started programming and did not write their data back, newest
    // first: the ECUs they read may have lost their records. This run's own journal is not among
    // them; damaged journals met on the way are moved aside and named in `problems`.
    // The journals another running update holds (unread) go to `inUse`.
    std::vector<std::unique_ptr<JournalFile>> FindInterrupted(std::vector<JournalProblem>& problems,
                                                              std::vector<std::string>* inUse = nullptr);
    // Marks superseded the journals of this ECU (a known identity only) whose progress is one of
    // `which`, this run's own excepted. A journal that may hold data the ECU lacks goes only when
    // `which` names ProgrammingStarted: when the ECU has its data back. Returns how many.
    int Supersede(const EcuIdentity& ecu, std::initializer_list<JournalProgress> which,
                  std::vector<JournalProblem>& problems);

    // Every journal of the folder, oldest first; touches nothing. Another run's journal in use is
    // listed as such; this run's own is listed as it is.
    std::vector<JournalListing> List();
    // A journal named by the operator, wherever it is. A damaged one of ours is moved aside when it
    // lies in the state folder; a journal of a newer version is left where it is.
    std::unique_ptr<JournalFile> Load(const std::string& path, JournalProblem& problem);
    // Takes the journal for this run: locked, so no other run offers it, and read again under the
    // lock; from then on the file's entry is what was read under the lock. Anything else comes
    // with the reason.
    enum class HoldOutcome { Held, InUse, Changed, Failed };
    HoldOutcome Hold(JournalFile& file, std::string& reason);
    // A journal this run holds, or one of no running update: a later run holds its data now.
    bool MarkSuperseded(JournalFile& file, std::string& reason);

    // The VIN a journal's file is named by ("" when its name gives none): all that can be told
    // of a journal another run holds.
    static std::string VinOfFileName(const std::string& path);

    static constexpr const char* kSuffix = ".journal";
    static constexpr const char* kAsideSuffix = ".unusable";

private:
    bool Mark(JournalProgress progress, std::string& reason);
    // Failed with the problem's text (`ours` tells whether the file is one of ours, though
    // unusable), or InUse when a running update holds it.
    ReadOutcome ReadEntry(const std::string& path, JournalEntry& entry, std::string& problem, bool& ours);
    // The usable journals, newest first; those in use are left out.
    std::vector<std::unique_ptr<JournalFile>> ScanUsable(std::vector<JournalProblem>& problems,
                                                         std::vector<std::string>* inUse = nullptr);
    static std::string NewFileStem(const JournalHeader& header);
    // Whether the state folder, when it holds `path`, passes the checks Begin makes of it.
    bool FolderFitToRead(const std::string& path, std::string& reason);

    Storage& storage_;
    std::unique_ptr<JournalEntry> current_;
    std::string currentPath_;
    std::unique_ptr<StorageLock> lock_;  // on this run's journal
};

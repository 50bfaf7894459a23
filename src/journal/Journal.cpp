#include "journal/Journal.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

#include "platform/Storage.h"

namespace {

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

auto Chronology(const JournalHeader& header, const std::string& path) {
    const JournalTime& t = header.startedAt;
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, path);
}

// The VIN's letters and digits name the file; a VIN that has none (never read, or wiped) does not.
std::string VinForFileName(const std::array<uint8_t, 17>& vin) {
    std::string text;
    for (uint8_t c : vin)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) text += static_cast<char>(c);
    return text.empty() ? "unknown-vin" : text;
}

}  // namespace

Journal::Journal(Storage& storage) : storage_(storage) {}
Journal::~Journal() = default;

std::string Journal::Folder() const { return storage_.Folder(); }

std::string Journal::VinOfFileName(const std::string& path) {
    // "20261210-130603Z-WVWZZZ1KZAW000123[-2].journal"
    const std::size_t name = path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
    const std::size_t first = path.find('-', name);
    const std::size_t second = first == std::string::npos ? first : path.find('-', first + 1);
    if (second == std::string::npos) return {};
    const std::size_t end = path.find_first_of("-.", second + 1);
    const std::string vin = path.substr(second + 1, end == std::string::npos ? std::string::npos : end - second - 1);
    return vin.size() == 17 ? vin : std::string();
}

std::string Journal::NewFileStem(const JournalHeader& header) {
    return JournalTimeStamp(header.startedAt) + "-" + VinForFileName(header.vin);
}

bool Journal::Begin(const JournalEntry& entry, std::string& reason) {
    if (storage_.Folder().empty()) {
        reason = "the environment names no folder for the program's state";
        return false;
    }
    auto current = std::make_unique<JournalEntry>(entry);
    current->header.progress = JournalProgress::Saved;
    current_.reset();
    currentPath_.clear();
    lock_.reset();
    if (!storage_.CheckFolder(reason)) return false;
    std::string path;
    lock_ = storage_.CreateLocked(NewFileStem(current->header), kSuffix, EncodeJournal(*current), path, reason);
    if (!lock_) return false;
    current_ = std::move(current);
    currentPath_ = path;
    return true;
}

bool Journal::Mark(JournalProgress progress, std::string& reason) {
    if (!current_) return true;
    const JournalProgress before = current_->header.progress;
    current_->header.progress = progress;
    if (storage_.WriteAtomically(currentPath_, EncodeJournal(*current_), reason, lock_.get())) return true;
    current_->header.progress = before;
    return false;
}

bool Journal::MarkProgrammingStarted(std::string& reason) { return Mark(JournalProgress::ProgrammingStarted, reason); }
bool Journal::MarkWriteBackFinished(std::string& reason) { return Mark(JournalProgress::WriteBackFinished, reason); }
bool Journal::MarkFinished(std::string& reason) { return Mark(JournalProgress::Finished, reason); }

ReadOutcome Journal::ReadEntry(const std::string& path, JournalEntry& entry, std::string& problem, bool& ours) {
    ours = false;
    std::vector<uint8_t> bytes;
    const ReadOutcome read = storage_.Read(path, kMaxJournalFileSize, bytes, problem);
    if (read != ReadOutcome::Read) return read;
    const JournalDecodeResult result = DecodeJournal(bytes, entry);
    if (result == JournalDecodeResult::Ok) return ReadOutcome::Read;
    problem = DecodeProblemText(result);
    ours = result != JournalDecodeResult::NotAJournal || EndsWith(path, kSuffix);
    return ReadOutcome::Failed;
}

bool Journal::FolderFitToRead(const std::string& path, std::string& reason) {
    return !storage_.Holds(path) || storage_.CheckFolderForReading(reason);
}

std::unique_ptr<JournalFile> Journal::Load(const std::string& path, JournalProblem& problem) {
    problem = {path, "", ""};
    // A folder others may write to may hold anything under a journal's name.
    if (!FolderFitToRead(path, problem.text)) return nullptr;
    auto file = std::make_unique<JournalFile>();
    file->path = path;
    bool ours = false;
    const ReadOutcome read = ReadEntry(path, file->entry, problem.text, ours);
    if (read == ReadOutcome::Read) return file;
    problem.inUse = read == ReadOutcome::InUse;
    // A file that is not ours stays where it is, as does one in use, one a newer version of the
    // program wrote, and one the operator keeps outside the state folder.
    const bool newer = problem.text == DecodeProblemText(JournalDecodeResult::NewerFormat);
    if (std::string reason; ours && !problem.inUse && !newer && storage_.Holds(path) &&
                            !storage_.MoveAside(path, kAsideSuffix, problem.keptAs, reason))
        problem.text += "; " + reason;
    return nullptr;
}

std::vector<std::unique_ptr<JournalFile>> Journal::ScanUsable(std::vector<JournalProblem>& problems,
                                                              std::vector<std::string>* inUse) {
    std::vector<std::unique_ptr<JournalFile>> files;
    if (std::string reason; !storage_.CheckFolderForReading(reason)) {
        const JournalProblem problem{storage_.Folder(), "", reason};
        const bool told = std::any_of(problems.begin(), problems.end(), [&](const JournalProblem& p) {
            return p.path == problem.path && p.text == problem.text;
        });
        if (!told) problems.push_back(problem);
        return files;
    }
    for (const std::string& path : storage_.List()) {
        if (!EndsWith(path, kSuffix)) continue;
        JournalProblem problem;
        if (auto file = Load(path, problem))
            files.push_back(std::move(file));
        else if (!problem.inUse)
            problems.push_back(std::move(problem));
        else if (inUse && path != currentPath_)
            inUse->push_back(path);
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        return Chronology(a->entry.header, a->path) > Chronology(b->entry.header, b->path);
    });
    return files;
}

std::vector<std::unique_ptr<JournalFile>> Journal::FindInterrupted(std::vector<JournalProblem>& problems,
                                                                   std::vector<std::string>* inUse) {
    std::vector<std::unique_ptr<JournalFile>> found;
    for (auto& file : ScanUsable(problems, inUse))
        if (NeedsRestore(file->entry.header) && file->path != currentPath_) found.push_back(std::move(file));
    return found;
}

int Journal::Supersede(const EcuIdentity& ecu, std::initializer_list<JournalProgress> which,
                       std::vector<JournalProblem>& problems) {
    if (!ecu.Known()) return 0;
    int count = 0;
    for (auto& file : ScanUsable(problems)) {
        JournalHeader& header = file->entry.header;
        if (file->path == currentPath_ || !SameEcu(header.Identity(), ecu)) continue;
        if (std::find(which.begin(), which.end(), header.progress) == which.end()) continue;
        const bool ecuHasItsData =
            std::find(which.begin(), which.end(), JournalProgress::ProgrammingStarted) != which.end();
        if (NeedsRestore(header) && !ecuHasItsData) continue;
        header.progress = JournalProgress::Superseded;
        std::string reason;
        if (storage_.WriteAtomically(file->path, EncodeJournal(file->entry), reason)) ++count;
    }
    return count;
}

Journal::HoldOutcome Journal::Hold(JournalFile& file, std::string& reason) {
    if (!FolderFitToRead(file.path, reason)) return HoldOutcome::Failed;
    std::vector<uint8_t> bytes;
    switch (storage_.Read(file.path, kMaxJournalFileSize, bytes, reason, &file.lock)) {
    case ReadOutcome::Read: break;
    case ReadOutcome::InUse: return HoldOutcome::InUse;
    case ReadOutcome::Failed: return HoldOutcome::Failed;
    }
    // The same run's journal, still needed: else another run wrote it back or put another file
    // under its name between the choice and the lock.
    auto now = std::make_unique<JournalEntry>();
    const JournalHeader& chosen = file.entry.header;
    if (DecodeJournal(bytes, *now) != JournalDecodeResult::Ok || !NeedsRestore(now->header) ||
        now->header.vin != chosen.vin || now->header.hardwareSerial != chosen.hardwareSerial ||
        !(now->header.startedAt == chosen.startedAt)) {
        file.lock.reset();
        reason = "it changed while it was being read";
        return HoldOutcome::Changed;
    }
    file.entry = *now;
    return HoldOutcome::Held;
}

bool Journal::MarkSuperseded(JournalFile& file, std::string& reason) {
    file.entry.header.progress = JournalProgress::Superseded;
    return storage_.WriteAtomically(file.path, EncodeJournal(file.entry), reason, file.lock.get());
}

std::vector<JournalListing> Journal::List() {
    std::vector<JournalListing> listings;
    const auto entry = std::make_unique<JournalEntry>();
    for (const std::string& path : storage_.List()) {
        if (!EndsWith(path, kSuffix)) continue;
        JournalListing listing{path, false, {}, {}};
        bool ours = false;
        if (current_ && path == currentPath_) {
            listing.usable = true;
            listing.header = current_->header;
        } else {
            const ReadOutcome read = ReadEntry(path, *entry, listing.problem, ours);
            listing.usable = read == ReadOutcome::Read;
            listing.inUse = read == ReadOutcome::InUse;
            if (listing.usable) listing.header = entry->header;
        }
        listings.push_back(std::move(listing));
    }
    // Oldest run first; files that cannot be read after all of them.
    std::sort(listings.begin(), listings.end(), [](const JournalListing& a, const JournalListing& b) {
        if (a.usable != b.usable) return a.usable;
        return Chronology(a.header, a.path) < Chronology(b.header, b.path);
    });
    return listings;
}

#include "platform/FolderStorage.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "journal/StateFolder.h"
#include "platform/NumberedName.h"
#include "platform/win32/WideText.h"

namespace {

// Every open shares reading and deleting, never writing: an open with write access (a lock) and
// any other open exclude each other, while nobody stands in the way of a rename. An open for
// reading is also the guard of a rename or rewrite without a lock: it keeps holders away, not
// readers.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_DELETE;
// A lock is an open with write access; delete access lets a rename go through its handle.
constexpr DWORD kLockAccess = GENERIC_READ | GENERIC_WRITE | DELETE;

std::string ErrorText(DWORD error) {
    wchar_t text[256] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, 256, nullptr);
    std::string message = Utf8Text(std::wstring_view(text, length));
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(error) : message;
}

std::string Failure(const std::string& path, DWORD error = GetLastError()) { return path + ": " + ErrorText(error); }

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

bool MakeFolders(const std::string& folder, std::string& reason) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '\\' && folder[at] != '/') continue;
        const std::string part = folder.substr(0, at);
        if (part.back() == ':') continue;  // a drive
        if (!CreateDirectoryW(WideText(part).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = Failure(part);
            return false;
        }
    }
    return true;
}

// Whether the folder with these attributes may hold the program's state. No check of owner or
// access: the folder lies under the user's own profile (%LOCALAPPDATA%), which Windows keeps to
// that user.
bool JudgeFolder(const std::string& folder, DWORD attributes, std::string& reason) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = folder + ": not a folder";
        return false;
    }
    return true;
}

// The full path of the folder `path` lies in, without a trailing separator unless it is a drive's
// root, and the name `path` ends in; false when it ends in none.
bool SplitFullPath(const std::string& path, std::wstring& folder, std::wstring& name) {
    const std::wstring wide = WideText(path);
    if (wide.empty()) return false;
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    wchar_t* last = nullptr;
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), &last);
    if (length == 0 || length >= size || last == nullptr) return false;
    name = last;
    folder.assign(full.data(), static_cast<std::size_t>(last - full.data()));
    if (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return !name.empty();
}

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    ~FileHandle() { Close(); }
    HANDLE get() const { return handle_; }
    void Close() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class Win32Lock final : public StorageLock {
public:
    Win32Lock(FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path)) {}
    const std::string& Path() const { return path_; }
    FileHandle& File() { return file_; }

private:
    FileHandle file_;
    std::string path_;
};

enum class Opened { Open, InUse, Missing, Failed };

Opened OpenShared(const std::string& path, DWORD access, FileHandle& file, std::string& reason) {
    file = FileHandle(
        CreateFileW(WideText(path).c_str(), access, kShared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return Opened::Open;
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) {
        reason = path + ": " + kStorageInUse;
        return Opened::InUse;
    }
    reason = Failure(path, error);
    return error == ERROR_FILE_NOT_FOUND ? Opened::Missing : Opened::Failed;
}

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

bool ReadAll(HANDLE file, const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) {
    out.clear();
    uint8_t chunk[4096];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &count, nullptr)) {
            reason = Failure(path);
            return false;
        }
        if (count == 0) return true;
        if (out.size() + count > limit) {
            reason = path + ": larger than a journal can be";
            return false;
        }
        out.insert(out.end(), chunk, chunk + count);
    }
}

// A private file beside the one it is to become: a name of this process's own (its id and a
// count), made with CREATE_NEW so that nothing that exists under it is ever opened; written
// through the handle that is to be the lock, and removed again unless it was put in place.
class Temporary {
public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() {
        if (path_.empty()) return;
        file_.Close();
        DeleteFileW(path_.c_str());
    }

    bool Write(const std::string& beside, std::span<const uint8_t> bytes, std::string& reason) {
        static std::atomic<unsigned> count{0};
        std::string name;
        for (int attempt = 0; attempt < kMaxNumberedNames && !file_; ++attempt) {
            name = beside + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(count++);
            file_ = FileHandle(CreateFileW(WideText(name).c_str(), kLockAccess, kShared, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file_ && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
                reason = Failure(name);
                return false;
            }
        }
        if (!file_) {
            reason = beside + ": every temporary name is taken";
            return false;
        }
        path_ = WideText(name);
        if (!WriteAll(file_.get(), bytes) || !FlushFileBuffers(file_.get())) {
            reason = Failure(name);
            return false;
        }
        return true;
    }
    HANDLE Handle() const { return file_.get(); }
    const std::wstring& Path() const { return path_; }
    // It is under its new name now; the handle (the lock) goes to the caller.
    FileHandle Placed() {
        path_.clear();
        return std::move(file_);
    }

private:
    FileHandle file_;
    std::wstring path_;
};

// A rename over a file someone has open, which Windows allows only with POSIX semantics (Windows
// 10 1709 and later, on NTFS). The headers give FILE_RENAME_INFO its Flags, in place of
// ReplaceIfExists, only to builds for Windows 10: the flags are written over that field.
bool RenameOverOpenFile(HANDLE file, const std::wstring& target) {
    constexpr DWORD kReplaceIfExists = 0x1;
    constexpr DWORD kPosixSemantics = 0x2;
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    static_assert(offsetof(FILE_RENAME_INFO, RootDirectory) >= sizeof(DWORD));
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(wchar_t);
    std::vector<uint64_t> buffer((size + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);  // aligned for the struct
    auto* const info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    const DWORD flags = kReplaceIfExists | kPosixSemantics;
    std::memcpy(info, &flags, sizeof flags);
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(reinterpret_cast<std::byte*>(info) + offsetof(FILE_RENAME_INFO, FileName), target.c_str(), nameBytes);
    return SetFileInformationByHandle(file, kFileRenameInfoEx, info, static_cast<DWORD>(size)) != 0;
}

// Puts the temporary file under `path` in place of what is there, on which `old` is the lock or
// the guard (if any). Where the system cannot rename over an open file, `old` goes just before
// the rename: for that instant the old content is unlocked, the new one never is.
bool PutInPlace(Temporary& temporary, const std::string& path, FileHandle& old, std::string& reason) {
    const std::wstring target = WideText(path);
    if (RenameOverOpenFile(temporary.Handle(), target)) return true;
    old.Close();
    if (MoveFileExW(temporary.Path().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    reason = Failure(path);
    return false;
}

}  // namespace

std::string FolderStorage::DefaultFolder() {
    const wchar_t* localAppData = _wgetenv(L"LOCALAPPDATA");
    return localAppData ? WindowsStateFolder(Utf8Text(localAppData).c_str()) : std::string();
}

std::string FolderStorage::PathOf(std::string_view name) const { return folder_ + "\\" + std::string(name); }

bool FolderStorage::Holds(const std::string& path) const {
    std::wstring folder, name, ours, oursName;
    if (!SplitFullPath(path, folder, name) || name == L"." || name == L"..") return false;
    if (!SplitFullPath(folder_, ours, oursName)) return false;
    ours += (ours.back() == L'\\' ? L"" : L"\\") + oursName;
    return CompareStringOrdinal(folder.c_str(), -1, ours.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool FolderStorage::CheckFolder(std::string& reason) {
    if (folder_.empty()) {
        reason = "no folder named";
        return false;
    }
    if (!MakeFolders(folder_, reason)) return false;
    const DWORD attributes = GetFileAttributesW(WideText(folder_).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason = Failure(folder_);
        return false;
    }
    return JudgeFolder(folder_, attributes, reason);
}

bool FolderStorage::CheckFolderForReading(std::string& reason) {
    if (folder_.empty()) {
        reason = "no folder named";
        return false;
    }
    const DWORD attributes = GetFileAttributesW(WideText(folder_).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;  // nothing to read
        reason = Failure(folder_, error);
        return false;
    }
    return JudgeFolder(folder_, attributes, reason);
}

std::unique_ptr<StorageLock> FolderStorage::CreateLocked(std::string_view stem, std::string_view suffix,
                                                         std::span<const uint8_t> bytes, std::string& path,
                                                         std::string& reason) {
    const std::string base = PathOf(stem);
    if (!MakeFolders(folder_, reason)) return nullptr;
    Temporary temporary;
    if (!temporary.Write(NumberedName(base, 1, suffix), bytes, reason)) return nullptr;
    // Without MOVEFILE_REPLACE_EXISTING the move never takes a name that exists; the handle open
    // on the file all along is its lock from the moment the name exists.
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string name = NumberedName(base, n, suffix);
        if (MoveFileExW(temporary.Path().c_str(), WideText(name).c_str(), MOVEFILE_WRITE_THROUGH)) {
            path = name;
            return std::make_unique<Win32Lock>(temporary.Placed(), name);
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
        reason = Failure(name, error);
        return nullptr;
    }
    reason = NumberedName(base, 1, suffix) + ": every numbered name is taken";
    return nullptr;
}

bool FolderStorage::WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                                    StorageLock* lock) {
    auto* const held = dynamic_cast<Win32Lock*>(lock);
    if (lock && (!held || held->Path() != path)) {
        reason = path + ": the lock given is another file's";
        return false;
    }
    if (!MakeFolders(FolderOf(path), reason)) return false;
    FileHandle guard;
    if (!held) {
        const Opened opened = OpenShared(path, GENERIC_READ, guard, reason);
        if (opened == Opened::InUse || opened == Opened::Failed) return false;
    }
    Temporary temporary;
    if (!temporary.Write(path, bytes, reason)) return false;
    if (!PutInPlace(temporary, path, held ? held->File() : guard, reason)) {
        // The lock stays on the old content unless someone took it in the instant it was open.
        std::string taken;
        if (held && !held->File()) OpenShared(path, kLockAccess, held->File(), taken);
        return false;
    }
    FileHandle placed = temporary.Placed();
    // A rename through the handle is committed by NTFS lazily, unlike MoveFileExW's write-through:
    // after a power cut the old content could be back although this call said the new one was in
    // place. Flushing the renamed file commits NTFS's log, and the rename in it, so the folder
    // needs no flush of its own. (After the write-through move there is nothing left to flush.)
    // The new content stays locked whatever the flush answers: it is under the name now.
    const bool flushed = FlushFileBuffers(placed.get()) != 0;
    if (!flushed) reason = Failure(path);
    if (held) held->File() = std::move(placed);
    return flushed;
}

ReadOutcome FolderStorage::Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out,
                                std::string& reason, std::unique_ptr<StorageLock>* keep) {
    FileHandle file;
    switch (OpenShared(path, keep ? kLockAccess : GENERIC_READ, file, reason)) {
    case Opened::Open: break;
    case Opened::InUse: return ReadOutcome::InUse;
    case Opened::Missing:
    case Opened::Failed: return ReadOutcome::Failed;
    }
    if (!ReadAll(file.get(), path, limit, out, reason)) return ReadOutcome::Failed;
    if (keep) *keep = std::make_unique<Win32Lock>(std::move(file), path);
    return ReadOutcome::Read;
}

std::vector<std::string> FolderStorage::List() {
    std::vector<std::string> paths;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(WideText(PathOf("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::string name = Utf8Text(found.cFileName);
        if (!name.empty()) paths.push_back(PathOf(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return paths;
}

bool FolderStorage::MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                              std::string& reason) {
    FileHandle guard;
    if (OpenShared(path, GENERIC_READ, guard, reason) != Opened::Open) return false;
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const std::string target = NumberedName(path, n, suffix);
        if (MoveFileExW(WideText(path).c_str(), WideText(target).c_str(), MOVEFILE_WRITE_THROUGH)) {
            moved = target;
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
        reason = Failure(target, error);
        return false;
    }
    reason = NumberedName(path, 1, suffix) + ": every numbered name is taken";
    return false;
}

#include "platform/FolderStorage.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "journal/StateFolder.h"

namespace {

std::string ErrorText(DWORD error) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(error) : message;
}

std::string Failure(const std::string& path) { return path + ": " + ErrorText(GetLastError()); }

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string FolderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

bool MakeFolders(const std::string& folder, std::string& reason) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && !IsSeparator(folder[at])) continue;
        const std::string part = folder.substr(0, at);
        if (part.back() == ':') continue;  // a drive
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = Failure(part);
            return false;
        }
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = folder + ": not a folder";
        return false;
    }
    return true;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool Close() { return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0; }
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

} // namespace

std::string FolderStorage::DefaultFolder() { return WindowsStateFolder(std::getenv("LOCALAPPDATA")); }

std::string FolderStorage::PathOf(std::string_view name) const { return folder_ + "\\" + std::string(name); }

bool FolderStorage::WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason) {
    if (!MakeFolders(FolderOf(path), reason)) return false;
    const std::string temporary = path + ".tmp";
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        reason = Failure(temporary);
        return false;
    }
    if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get()) || !file.Close()) {
        reason = Failure(temporary);
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = Failure(path);
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool FolderStorage::Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        reason = Failure(path);
        return false;
    }
    out.clear();
    uint8_t chunk[4096];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &count, nullptr)) {
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

std::vector<std::string> FolderStorage::List() {
    std::vector<std::string> paths;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(PathOf("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return paths;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) paths.push_back(PathOf(found.cFileName));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return paths;
}

bool FolderStorage::MoveAside(const std::string& path, std::string_view suffix, std::string& moved,
                             std::string& reason) {
    std::string target = path + std::string(suffix);
    for (int n = 2; GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        target = path + "-" + std::to_string(n) + std::string(suffix);
    if (!MoveFileExA(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        reason = Failure(path);
        return false;
    }
    moved = target;
    return true;
}

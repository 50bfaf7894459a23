#include "platform/posix/UucpLock.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// What a lock file holds, as far as it can be read.
struct LockFile {
    bool exists = false;
    std::optional<pid_t> owner;
};

LockFile ReadLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {errno != ENOENT, std::nullopt};
    char content[64];
    ssize_t got = 0;
    while ((got = ::read(fd, content, sizeof content)) < 0 && errno == EINTR) {
    }
    ::close(fd);
    if (got <= 0) return {true, std::nullopt};
    return {true, UucpLockOwner(std::string_view(content, static_cast<size_t>(got)))};
}

// A process of another user is alive too: it is only not ours to signal.
bool IsAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

bool WriteAll(int fd, const char* data, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(fd, data, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string UucpLockName(const std::string& devicePath) {
    const std::string_view devices = "/dev/";
    std::string name;
    if (devicePath.compare(0, devices.size(), devices) == 0) {
        name = devicePath.substr(devices.size());
        std::replace(name.begin(), name.end(), '/', '_');
    } else {
        name = devicePath.substr(devicePath.rfind('/') + 1);
    }
    return "LCK.." + name;
}

std::optional<pid_t> UucpLockOwner(std::string_view content) {
    constexpr int64_t kLargestPid = std::numeric_limits<pid_t>::max();
    const size_t first = content.find_first_not_of(' ');
    if (first != std::string_view::npos && content[first] >= '0' && content[first] <= '9') {
        const size_t end = std::min(content.find_first_not_of("0123456789", first), content.size());
        if (end == content.size() || content[end] == '\n' || content[end] == ' ') {
            int64_t pid = 0;
            for (size_t at = first; at < end && pid <= kLargestPid; ++at) pid = pid * 10 + (content[at] - '0');
            if (pid > 0 && pid <= kLargestPid) return static_cast<pid_t>(pid);
            return std::nullopt;
        }
    }
    // The older binary form: the number as the machine stores an int.
    if (content.size() == sizeof(int32_t)) {
        int32_t pid = 0;
        std::memcpy(&pid, content.data(), sizeof pid);
        if (pid > 0) return static_cast<pid_t>(pid);
    }
    return std::nullopt;
}

UucpLock::Outcome UucpLock::Take(const std::string& devicePath) {
    Release();
    // A device named through a link (/dev/serial/by-id/...) is locked by the name of the device itself.
    char* resolved = ::realpath(devicePath.c_str(), nullptr);
    const std::string lockPath = folder_ + "/" + UucpLockName(resolved ? resolved : devicePath);
    std::free(resolved);
    // Another round only when a rival's lock appeared between our look and our link.
    for (int round = 0; round < 3; ++round) {
        const LockFile existing = ReadLockFile(lockPath);
        if (existing.owner && IsAlive(*existing.owner)) return Outcome::InUse;
        if (existing.exists && ::unlink(lockPath.c_str()) != 0 && errno != ENOENT) return Outcome::Unlocked;
        switch (Place(lockPath)) {
        case Placing::Placed: held_ = lockPath; return Outcome::Held;
        case Placing::Failed: return Outcome::Unlocked;
        case Placing::Contested: break;
        }
    }
    return Outcome::InUse;
}

UucpLock::Placing UucpLock::Place(const std::string& lockPath) const {
    std::string temporary = folder_ + "/LTMP.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Placing::Failed;
    char content[16];
    const int length = std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(::getpid()));
    ::fchmod(fd, 0644);  // every program that honours the lock must be able to read it
    const bool written = WriteAll(fd, content, static_cast<size_t>(length));
    const bool closed = ::close(fd) == 0;
    Placing placing = Placing::Failed;
    if (written && closed) {
        if (::link(temporary.c_str(), lockPath.c_str()) == 0)
            placing = Placing::Placed;
        else if (errno == EEXIST)
            placing = Placing::Contested;
    }
    ::unlink(temporary.c_str());
    return placing;
}

void UucpLock::Release() {
    if (held_.empty()) return;
    // Judged stale and replaced by another program meanwhile, the file is no longer ours to remove.
    if (ReadLockFile(held_).owner == ::getpid()) ::unlink(held_.c_str());
    held_.clear();
}

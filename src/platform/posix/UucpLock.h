#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

// Where the serial programs of the machine keep their lock files.
inline constexpr const char* kSystemLockFolder = "/var/lock";

// The lock file's name for a device: "LCK..ttyUSB0" for /dev/ttyUSB0; a device in a folder below
// /dev keeps that part of its path with '_' for '/' ("LCK..pts_3" for /dev/pts/3).
std::string UucpLockName(const std::string& devicePath);

// The process a lock file's content names: the PID in ASCII digits, right-aligned in ten
// characters or not, with or without the newline, or the older four-byte binary number. Nothing
// for any other content.
std::optional<pid_t> UucpLockOwner(std::string_view content);

// The UUCP lock file on one device at a time, the convention by which serial programs keep out of
// each other's ports. A lock naming a live process is honoured; one naming a dead process, or
// that says nothing readable, is stale and replaced. Ours is made whole under a temporary name
// and linked to the lock's name, so that a lock another program made meanwhile is never
// overwritten.
class UucpLock {
public:
    enum class Outcome {
        Held,      // the lock file is ours
        InUse,     // a live process holds the device
        Unlocked,  // no lock file can be made here (no such folder, not writable): go on without
    };

    explicit UucpLock(std::string folder) : folder_(std::move(folder)) {}
    ~UucpLock() { Release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // Gives up a lock held, then takes the one on `devicePath`.
    Outcome Take(const std::string& devicePath);
    // Removes our lock file, unless it no longer names this process.
    void Release();

private:
    enum class Placing { Placed, Contested, Failed };
    Placing Place(const std::string& lockPath) const;

    const std::string folder_;
    std::string held_;  // the path of our lock file; empty when none is ours
};

#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

// The PID of a process that has just ended and been reaped: a lock file naming it is stale.
inline pid_t DeadProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// A lock file's content as HDB UUCP writes it.
inline std::string HdbLockContent(pid_t pid) {
    char content[16];
    std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(pid));
    return content;
}

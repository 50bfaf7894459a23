#include "platform/posix/PosixSystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace {

// The name of the effective user's entry, or nothing (no entry, or the lookup failed).
std::string AccountName() {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 1024);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int error = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return error == 0 && found && found->pw_name ? std::string(found->pw_name) : std::string();
    }
}

}  // namespace

bool PickUserName(const char* accountName, const char* logname, const char* user, std::string& out) {
    for (const char* name : {accountName, logname, user}) {
        if (name && *name) {
            out = name;
            return true;
        }
    }
    return false;
}

bool PosixSystemInfo::UserName(std::string& out) {
    const std::string account = AccountName();
    return PickUserName(account.c_str(), std::getenv("LOGNAME"), std::getenv("USER"), out);
}

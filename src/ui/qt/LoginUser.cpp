#include "ui/qt/LoginUser.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

bool LoginUser::UserName(std::string& out) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
    out = found->pw_name;
    return true;
}

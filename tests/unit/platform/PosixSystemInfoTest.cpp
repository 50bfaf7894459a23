#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/posix/PosixSystemInfo.h"

namespace {

TEST(PosixSystemInfo, TheAccountFirstThenTheEnvironmentsNames) {
    struct Case {
        const char *account, *logname, *user;
        const char* expected;  // nullptr: no name known
    };
    for (const Case& c : {Case{"operator", "login", "user", "operator"}, Case{"", "login", "user", "login"},
                          Case{nullptr, nullptr, "user", "user"}, Case{nullptr, "", "", nullptr},
                          Case{nullptr, nullptr, nullptr, nullptr}}) {
        std::string name = "unchanged";
        EXPECT_EQ(PickUserName(c.account, c.logname, c.user, name), c.expected != nullptr);
        EXPECT_EQ(name, c.expected ? c.expected : "unchanged");
    }
}

TEST(PosixSystemInfo, NamesTheAccountThisProcessRunsUnder) {
    const passwd* entry = getpwuid(geteuid());
    if (!entry) GTEST_SKIP() << "this user has no password entry";
    PosixSystemInfo system;
    std::string name;
    ASSERT_TRUE(system.UserName(name));
    EXPECT_EQ(name, entry->pw_name);
}

}  // namespace

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <vector>

#include "platform/posix/LineSettings.h"

namespace {

TEST(ModemLinesTest, DtrAndRtsAreDroppedAndOnlyADeviceWithoutThemMayRefuse) {
    struct Case {
        int error;  // 0: the call succeeds
        bool accepted;
    };
    for (const Case& c :
         {Case{0, true}, Case{ENOTTY, true}, Case{EINVAL, true}, Case{EIO, false}, Case{EBADF, false}}) {
        SCOPED_TRACE(c.error);
        std::vector<std::pair<unsigned long, int>> calls;
        const ModemControl control = [&](int fd, unsigned long request, int* lines) {
            EXPECT_EQ(fd, 7);
            calls.emplace_back(request, *lines);
            errno = c.error;
            return c.error == 0 ? 0 : -1;
        };
        EXPECT_EQ(HoldModemLinesInactive(7, control), c.accepted);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].first, static_cast<unsigned long>(TIOCMBIC));
        EXPECT_EQ(calls[0].second, TIOCM_DTR | TIOCM_RTS);
    }
}

TEST(ModemLinesTest, ClosingRaisesAgainOnlyTheLinesThatWereActiveAtTheOpen) {
    struct Case {
        int lines;
        bool known;
        int raised;  // 0: no call
    };
    for (const Case& c :
         {Case{TIOCM_DTR | TIOCM_RTS | TIOCM_CTS, true, TIOCM_DTR | TIOCM_RTS},
          Case{TIOCM_RTS | TIOCM_CD, true, TIOCM_RTS}, Case{TIOCM_CTS, true, 0}, Case{TIOCM_DTR, false, 0}}) {
        SCOPED_TRACE(c.lines);
        std::vector<std::pair<unsigned long, int>> calls;
        const ModemControl control = [&](int, unsigned long request, int* lines) {
            calls.emplace_back(request, *lines);
            return 0;
        };
        RestoreLine(-1, SavedLine{{}, c.lines, c.known}, control);
        if (c.raised == 0) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0].first, static_cast<unsigned long>(TIOCMBIS));
            EXPECT_EQ(calls[0].second, c.raised);
        }
    }
}

}  // namespace

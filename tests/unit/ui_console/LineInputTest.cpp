// Type-ahead on a terminal never answers a later question; answers piped in by a script do.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "ui/console/LineInput.h"

namespace {

using namespace std::chrono_literals;

// Counts what the reader hands over, so that a test can wait for typed text to have arrived.
struct Arrivals {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;

    void Arrived() {
        std::lock_guard lock(mutex);
        ++count;
        changed.notify_all();
    }
    bool AwaitMoreThan(int seen) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 5s, [&] { return count > seen; });
    }
    int Count() {
        std::lock_guard lock(mutex);
        return count;
    }
};

void Type(int fd, const char* text) { ASSERT_EQ(write(fd, text, strlen(text)), static_cast<ssize_t>(strlen(text))); }

TEST(LineInput, OnATerminalWhatWasTypedBeforeTheQuestionIsDropped) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(terminal, 0);
    {
        Arrivals arrivals;
        LineInput input(terminal, [&] { arrivals.Arrived(); });
        Type(master, "y\n");  // still in the terminal's queue: the reader has not started
        input.DiscardTypeAhead();
        EXPECT_FALSE(input.TakeLine());

        int seen = arrivals.Count();
        Type(master, "yes\n");  // read into the input's own buffer
        ASSERT_TRUE(arrivals.AwaitMoreThan(seen));
        input.DiscardTypeAhead();
        EXPECT_FALSE(input.TakeLine());

        seen = arrivals.Count();
        Type(master, "n\n");
        ASSERT_TRUE(arrivals.AwaitMoreThan(seen));
        EXPECT_EQ(input.TakeLine(), "n");
    }
    close(terminal);
    close(master);
}

TEST(LineInput, FromAPipeEveryLineIsKeptForTheQuestionsToCome) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    Type(fds[1], "y\nn\n");
    close(fds[1]);
    Arrivals arrivals;
    LineInput input(fds[0], [&] { arrivals.Arrived(); });
    input.DiscardTypeAhead();
    EXPECT_FALSE(input.Ended());                                                         // starts the reader
    while (arrivals.Count() < 2) ASSERT_TRUE(arrivals.AwaitMoreThan(arrivals.Count()));  // the lines, the end
    input.DiscardTypeAhead();
    EXPECT_EQ(input.TakeLine(), "y");
    EXPECT_EQ(input.TakeLine(), "n");
    close(fds[0]);
}

}  // namespace

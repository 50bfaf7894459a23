#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "ui/qt/UiCallQueue.h"

namespace {

using namespace std::chrono_literals;

TEST(UiCallQueue, WaitingServesOtherThreadsCallsInOrderAndNothingElse) {
    UiCallQueue queue;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);

    std::vector<int> served;
    std::atomic<bool> ended{false};
    std::thread other([&] {
        for (int i = 0; i < 3; ++i) {
            queue.Call([&served, i] { served.push_back(i); });
            std::this_thread::sleep_for(20ms);  // room for a timer tick, were the loop running
        }
        ended = true;
        queue.Wake();
    });
    queue.ServeUntil([&] { return ended.load(); });
    other.join();

    EXPECT_EQ(served, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ticks, 0) << "no timer ticks while the thread waits";
}

TEST(UiCallQueue, PostedCallsRunOnTheEventLoopWithoutHoldingUpTheirThread) {
    UiCallQueue queue;
    std::vector<std::thread::id> ranOn;
    std::thread other([&] {
        queue.Post([&] { ranOn.push_back(std::this_thread::get_id()); });
        queue.Post([&] { ranOn.push_back(std::this_thread::get_id()); });
    });
    other.join();  // both returned before anything ran
    EXPECT_TRUE(ranOn.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ranOn.size() == 2; }, 5000));
    EXPECT_EQ(ranOn[0], std::this_thread::get_id());
}

}  // namespace

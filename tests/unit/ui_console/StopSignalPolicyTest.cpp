// What each stop signal does to a run, before, while and after the ECU is being changed.
#include <gtest/gtest.h>

#include <vector>

#include "ui/console/StopSignalPolicy.h"

namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

struct Step {
    std::chrono::milliseconds at;
    StopSignal signal;
    bool changing;
    StopAction expected;
};

TEST(StopSignalPolicy, SequencesOfSignals) {
    using enum StopSignal;
    using enum StopAction;
    const std::pair<const char*, std::vector<Step>> cases[] = {
        {"an interrupt before Proceed stops at once", {{0ms, Interrupt, false, Close}}},
        {"a hang-up before Proceed stops at once", {{0ms, HangUp, false, Close}}},
        {"a termination always stops at once", {{0ms, Terminate, true, Close}}},
        {"one interrupt while changing warns", {{0ms, Interrupt, true, Warn}}},
        {"a second interrupt within 5 s stops", {{0ms, Interrupt, true, Warn}, {5s, Interrupt, true, Close}}},
        {"a second interrupt after 5 s warns again",
         {{0ms, Interrupt, true, Warn}, {5001ms, Interrupt, true, Warn}, {6s, Interrupt, true, Close}}},
        {"a hang-up while changing is ignored", {{0ms, HangUp, true, GoOn}, {1s, HangUp, true, GoOn}}},
        {"a hang-up does not count as the second interrupt",
         {{0ms, Interrupt, true, Warn}, {1s, HangUp, true, GoOn}, {2s, Interrupt, true, Close}}},
        {"after the final text an interrupt stops at once",
         {{0ms, Interrupt, true, Warn}, {1s, Interrupt, false, Close}}},
        {"a quit before Proceed stops at once", {{0ms, Quit, false, Close}}},
        {"a second quit within 5 s stops", {{0ms, Quit, true, Warn}, {5s, Quit, true, Close}}},
        {"a second quit after 5 s warns again",
         {{0ms, Quit, true, Warn}, {5001ms, Quit, true, Warn}, {6s, Quit, true, Close}}},
        {"an interrupt and a quit confirm each other", {{0ms, Interrupt, true, Warn}, {1s, Quit, true, Close}}},
        {"a quit and an interrupt confirm each other", {{0ms, Quit, true, Warn}, {1s, Interrupt, true, Close}}},
        {"a suspension while changing is refused, every time",
         {{0ms, TerminalStop, true, Refuse}, {1s, TerminalStop, true, Refuse}}},
        {"a suspension before Proceed or after the final text suspends",
         {{0ms, TerminalStop, false, Suspend}, {1s, TerminalStop, false, Suspend}}},
        {"a refused suspension neither confirms nor arms a stop",
         {{0ms, TerminalStop, true, Refuse},
          {1s, Interrupt, true, Warn},
          {2s, TerminalStop, true, Refuse},
          {3s, Quit, true, Close}}},
    };
    for (const auto& [name, steps] : cases) {
        SCOPED_TRACE(name);
        StopSignalPolicy policy;
        const Time start{};
        for (const Step& step : steps)
            EXPECT_EQ(policy.Decide(step.signal, step.changing, start + step.at), step.expected) << step.at.count();
    }
}

}  // namespace

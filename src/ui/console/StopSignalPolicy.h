#pragma once

#include <chrono>
#include <optional>

// The signals that ask the console program to stop: SIGINT (Ctrl-C, Ctrl-Break), SIGTERM (and
// on Windows closing the console, logging off, shutting down), SIGHUP (the terminal is gone).
enum class StopSignal { Interrupt, Terminate, HangUp };
enum class StopAction {
    GoOn,   // the run carries on as if nothing came
    Warn,   // the run carries on; the operator is told what a stop now would do
    Close,  // the close steps, then the end of the program
};

// What a stop signal does. While the ECU is being changed a stop leaves it without a working
// program, so an interrupt only warns unless a second one follows within kConfirmWindow, and a
// hang-up (nobody left to be told) lets the update complete. Before and after that every stop
// signal closes at once; a termination always does.
class StopSignalPolicy {
public:
    static constexpr std::chrono::seconds kConfirmWindow{5};

    StopAction Decide(StopSignal signal, bool ecuBeingChanged, std::chrono::steady_clock::time_point now);

private:
    std::optional<std::chrono::steady_clock::time_point> warnedAt_;
};

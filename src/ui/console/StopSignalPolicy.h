#pragma once

#include <chrono>
#include <optional>

// The signals that ask the console program to stop: SIGINT (Ctrl-C, Ctrl-Break), SIGQUIT
// (Ctrl-\), SIGTERM (and on Windows closing the console, logging off, shutting down), SIGHUP (the
// terminal is gone), and SIGTSTP (Ctrl-Z), which asks it to pause.
enum class StopSignal { Interrupt, Quit, Terminate, HangUp, TerminalStop };
enum class StopAction {
    GoOn,     // the run carries on as if nothing came
    Warn,     // the run carries on; the operator is told what a stop now would do
    Close,    // the close steps, then the end of the program
    Refuse,   // the run carries on; the operator is told why it was not suspended
    Suspend,  // the process stops as Ctrl-Z stops any job, until it is continued
};

// What a stop signal does. While the ECU is being changed a stop leaves it without a working
// program, so an interrupt or a quit only warns unless a second one follows within
// kConfirmWindow, a hang-up (nobody left to be told) lets the update complete, and a suspension is
// refused: a stopped run lets the ECU drop its session just as a stop would. Before and after that
// every stop signal closes at once and a suspension suspends; a termination always closes.
class StopSignalPolicy {
public:
    static constexpr std::chrono::seconds kConfirmWindow{5};

    StopAction Decide(StopSignal signal, bool ecuBeingChanged, std::chrono::steady_clock::time_point now);

private:
    std::optional<std::chrono::steady_clock::time_point> warnedAt_;
};

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

// How a port fared in the hunt for the adapter.
enum class PortOutcome {
    Missing,
    NoPermission,
    InUse,
    NotSerial,
    OwnTerminal,
    OpenFailed,
    Silent,  // it opened, but no adapter answered on it
};

struct PortAttempt {
    int32_t portNumber;
    PortOutcome outcome;

    bool operator==(const PortAttempt&) const = default;
};

PortOutcome OutcomeOf(PortOpenError error);

// What the hunt has met on each port, so that the operator can be told why no adapter answers. A
// round ends when every listed port has been tried once.
class HuntRecord {
public:
    // The port's outcome in the round under way.
    void Record(int32_t portNumber, PortOutcome outcome);
    void EndRound();
    void AdapterAnswered();

    // An adapter has answered since the program started.
    bool Answered() const { return answered_; }
    // Whole rounds in which no adapter answered, since the last answer.
    uint32_t RoundsWithoutAnswer() const { return rounds_; }
    // The latest outcome of each port tried since the last answer, in the order of the hunt.
    std::vector<PortAttempt> Latest() const;

private:
    std::vector<PortAttempt> lastRound_;
    std::vector<PortAttempt> current_;
    uint32_t rounds_ = 0;
    bool answered_ = false;
};

using PortNamer = std::function<std::string(int32_t portNumber)>;

// For the operator: that no adapter answered and why on each port tried, one line each, and what
// may help. `unfinishedJournal`: an interrupted update may have left the adapter at its high speed.
std::string DescribeHunt(const std::vector<PortAttempt>& attempts, const PortNamer& portName, bool unfinishedJournal);

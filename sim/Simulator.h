#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Ecu.h"
#include "FaultPlan.h"
#include "FrameAssembler.h"
#include "RunReport.h"

namespace sim {

// How the host has set up its end of the line; the adapter talks 8N1 without flow control.
struct HostLineSettings {
    uint8_t dataBits = 8;
    char parity = 'N';  // 'N', 'E' or 'O'
    uint8_t stopBits = 1;
    bool flowControl = false;  // hardware (RTS/CTS) or software (XON/XOFF)

    bool operator==(const HostLineSettings&) const = default;
};

// The interface adapter with the ECU behind it, on a serial line, in the caller's time.
// Times are microseconds on one clock the caller owns (virtual or monotonic). The host's bytes
// go in with the speed the host sent them at; the adapter's bytes come out when the line has
// carried them, garbled when the host listens at another speed than the adapter talks.
//
// Typical drive: host writes -> Receive(bytes, hostBaud, now); then, until NextEventTime() is
// empty or past the horizon: advance the clock to it and hand TakeDue(now, hostBaud) to the host.
// All members may be called from any thread; calls are serialised.
class Simulator {
public:
    explicit Simulator(SimOptions options);

    void Receive(std::span<const uint8_t> bytes, uint32_t hostBaud, uint64_t nowUs);
    // The next moment at which TakeDue has something to do; empty when nothing is scheduled.
    std::optional<uint64_t> NextEventTime() const;
    // Runs everything due up to nowUs and returns the bytes that have arrived at the host by then.
    std::vector<uint8_t> TakeDue(uint64_t nowUs, uint32_t hostBaud);

    // The operator switches the ECU off and on (what a manual reset is).
    void PowerCycle(uint64_t nowUs);
    // The faults from now on, counted afresh: a test that runs the program again and again on one
    // ECU gives each run faults of its own.
    void ReplaceFaults(std::vector<FaultRule> rules);
    // What the host's side of the line is set to; assumed 8N1 without flow control until told.
    // Other settings are reported as a violation, once for each setting the host changes to.
    void SetHostLineSettings(const HostLineSettings& settings);

    uint32_t AdapterBaud() const;
    bool LineCut() const;
    bool Unplugged() const;
    // The ECU has answered the clear of diagnostic information after both areas were programmed.
    bool UpdateFinished() const;
    RunReport Report() const;
    std::vector<uint8_t> FlashContents() const;

    // One line per event (requests, answers, speed changes, faults); set before the first call.
    void SetTrace(std::function<void(uint64_t atUs, const std::string& line)> trace);

private:
    using Faults = std::vector<const FaultRule*>;

    void RunUntil(uint64_t nowUs);
    struct Event {
        std::function<void()> action;
    };
    using Events = std::multimap<uint64_t, Event>;

    Events::iterator At(uint64_t atUs, std::function<void()> action);
    void WatchForStaleFrame(uint64_t lastByteUs);
    void WatchSessionTime(uint64_t fromUs);
    void ClearEvents();
    void OnByte(uint8_t byte, uint64_t atUs);
    void OnFrame(const Bytes& payload);
    void OnAdapterCommand(const Bytes& payload, const Faults& faults);
    void HandleByEcu(const Bytes& payload, const Faults& faults);
    void PendingChain(const Bytes& payload, const FaultRule& pending, const Faults& faults, uint64_t readyUs);
    void Answer(Bytes payload, uint64_t readyUs, const Faults& faults, std::function<void()> afterSent = {});
    uint64_t Transmit(const Bytes& bytes);
    void Violation(std::string text);
    void ResetEcu();
    void CutLine(bool unplug);
    void Trace(const std::string& line) const;

    mutable std::mutex mutex_;
    SimOptions options_;
    Prng prng_;
    Ecu ecu_;
    RecordStore recordsAtStart_;
    FaultPlan faults_;
    FrameAssembler assembler_;

    Events events_;  // equal times run in the order they were scheduled
    std::optional<Events::iterator> staleCheck_;
    std::optional<Events::iterator> sessionTimeout_;
    struct OutByte {
        uint64_t atUs;
        uint8_t byte;
        uint32_t baud;
    };
    std::deque<OutByte> out_;
    Bytes heldBack_;  // answers a glue fault holds until the next answer leaves
    uint64_t nowUs_ = 0;
    uint64_t lineFreeUs_ = 0;
    uint32_t adapterBaud_ = 9600;
    uint64_t speedGeneration_ = 0;  // a reset cancels a speed switch still on its way
    uint64_t busyUntilUs_ = 0;      // erasing, or working through a pending chain
    bool eraseAnnounced_ = false;   // erasing, and the host was told so by an intact 7F 3D 78
    HostLineSettings hostLine_;
    uint64_t bootedAtUs_ = 0;
    std::optional<uint64_t> finishedAtUs_;
    bool lineCut_ = false;
    bool unplugged_ = false;
    RunReport counters_;
    std::function<void(uint64_t, const std::string&)> trace_;
};

}  // namespace sim

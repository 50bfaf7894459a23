#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/SerialPort.h"

// Why a run gives up on its line to the adapter.
enum class LineLoss {
    None,
    DeviceGone,  // the port reports its device gone
    Silent,      // requests went out and nothing arrived for kSilenceLimit
};

// A port that notices when the line to the adapter is gone for good, which the core never
// decides: it resends an unanswered request forever. Every front end runs its dialog on one and
// ends the run when it says so. Only a port that has received something since it opened can lose
// its line, so the hunt for the adapter on silent ports goes on as ever.
class LineWatchPort final : public SerialPort {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kSilenceLimit{30};

    explicit LineWatchPort(SerialPort& port, Clock now = std::chrono::steady_clock::now);

    bool Open(int32_t portNumber) override;
    PortOpenError LastOpenError() const override { return port_.LastOpenError(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    bool SetBaudRate(uint32_t baud) override { return port_.SetBaudRate(baud); }
    bool Write(const uint8_t* data, size_t count) override;
    ReaderSetup StartReading() override { return port_.StartReading(); }
    WaitResult WaitForInput() override { return port_.WaitForInput(); }
    size_t Read(uint8_t* data, size_t capacity) override;
    void StopReading() override { port_.StopReading(); }
    void Purge() override { port_.Purge(); }
    void Interrupt() override { port_.Interrupt(); }
    void Close() override { port_.Close(); }
    bool LineLost() const override { return port_.LineLost(); }

    // Any thread.
    LineLoss Loss() const;

private:
    using Time = std::chrono::steady_clock::time_point;

    SerialPort& port_;
    const Clock now_;
    mutable std::mutex mutex_;
    bool answered_ = false;                // something arrived since the port opened
    std::optional<Time> unansweredSince_;  // the first write after the last arrival
};

// Why the run ended, in a few words ("the line to the adapter was lost").
const char* LineLossReason(LineLoss loss);

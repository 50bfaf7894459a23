#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPort.h"

// A port that writes every frame on the wire to a trace, for support: one line per frame with
// the milliseconds since the trace began, the line speed, the direction and the bytes. Received
// bytes are cut into frames by their length byte; bytes that form no whole frame are written as
// a partial frame before the next frame is sent, or when the port is purged, re-timed or closed.
class TracingSerialPort final : public SerialPort {
public:
    TracingSerialPort(SerialPort& port, std::ostream& trace);

    bool Open(int32_t portNumber) override;
    PortOpenError LastOpenError() const override { return port_.LastOpenError(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    bool SetBaudRate(uint32_t baud) override;
    bool Write(const uint8_t* data, size_t count) override;
    ReaderSetup StartReading() override { return port_.StartReading(); }
    WaitResult WaitForInput() override { return port_.WaitForInput(); }
    size_t Read(uint8_t* data, size_t capacity) override;
    void StopReading() override;
    void Purge() override;
    void Interrupt() override { port_.Interrupt(); }
    void Close() override;
    bool LineLost() const override { return port_.LineLost(); }

    // A line of the program's own between the frames: why a frame was dropped, a stage change.
    // Any thread.
    void Note(std::string_view text);

private:
    void Log(const char* direction, const uint8_t* data, size_t count);
    void FlushPartialFrame();

    SerialPort& port_;
    std::mutex mutex_;  // one line at a time, in the order the bytes crossed the wire
    std::ostream& trace_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    uint32_t baud_ = 0;
    std::vector<uint8_t> received_;  // received bytes not yet traced as a frame
};

// One trace line: seconds and milliseconds since the trace began, the line speed, the direction,
// the bytes in hex: "       3.250  9600 tx 02 90 92".
std::string TraceLine(uint64_t milliseconds, uint32_t baud, const char* direction, const uint8_t* data, size_t count);

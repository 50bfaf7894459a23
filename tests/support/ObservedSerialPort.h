#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/SerialPort.h"

// Passes every call on to a port and keeps count, so that a test can wait for the receive thread
// to have handled what the line delivered instead of guessing a time.
class ObservedSerialPort : public SerialPort {
public:
    explicit ObservedSerialPort(SerialPort& device) : device_(device) {}

    bool Open(int32_t portNumber) override { return device_.Open(portNumber); }
    PortOpenError LastOpenError() const override { return device_.LastOpenError(); }
    bool IsOpen() const override { return device_.IsOpen(); }
    bool SetBaudRate(uint32_t baud) override { return device_.SetBaudRate(baud); }
    bool Write(const uint8_t* data, size_t count) override;
    ReaderSetup StartReading() override;
    WaitResult WaitForInput() override;
    size_t Read(uint8_t* data, size_t capacity) override;
    void StopReading() override;
    void Purge() override { device_.Purge(); }
    void Interrupt() override { device_.Interrupt(); }
    void Close() override { device_.Close(); }
    bool LineLost() const override { return device_.LineLost(); }

    size_t BytesWritten() const;
    int WaitsEntered() const;
    // Readers between StartReading and StopReading now, and the most there ever were at once.
    int Readers() const;
    int MostReaders() const;
    // Waits until the reader has read `totalBytes` in all and has gone back to waiting, that is
    // until it has handled them. False when that did not happen within the deadline.
    bool AwaitReaderWaitingAfter(size_t totalBytes, std::chrono::milliseconds deadline = std::chrono::seconds(10));

private:
    SerialPort& device_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    size_t bytesWritten_ = 0;
    size_t bytesRead_ = 0;
    size_t bytesReadAtLastWait_ = 0;
    int waitsEntered_ = 0;
    int readers_ = 0;
    int mostReaders_ = 0;
};

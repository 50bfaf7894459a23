#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/GuardedHandle.h"
#include "platform/SerialPort.h"

// A COM port opened for overlapped I/O. The reader waits for a communication event on its own
// completion record together with a wake-up event; every write has a completion record of its
// own, so a write never completes or disturbs the reader's pending wait.
class Win32SerialPort final : public SerialPort {
public:
    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    bool Open(int32_t portNumber) override;
    PortOpenError LastOpenError() const override { return lastOpenError_; }
    bool IsOpen() const override;
    bool SetBaudRate(uint32_t baud) override;
    bool Write(const uint8_t* data, size_t count) override;
    ReaderSetup StartReading() override;
    WaitResult WaitForInput() override;
    size_t Read(uint8_t* data, size_t capacity) override;
    void StopReading() override;
    void Purge() override;
    void Interrupt() override;
    void Close() override;
    bool LineLost() const override { return lineLost_; }

private:
    void CloseReaderEvents();
    WaitResult WaitForWakeUp();

    GuardedHandle<HANDLE> port_{INVALID_HANDLE_VALUE};
    std::mutex writeMutex_;  // whole frames, and no speed change in the middle of one
    DCB lineSettings_{};     // read back from the port and rewritten at every speed change
    std::mutex readerMutex_;
    OVERLAPPED readerOverlapped_{};
    HANDLE wakeEvent_ = nullptr;
    std::atomic<bool> lineLost_{false};
    PortOpenError lastOpenError_ = PortOpenError::None;
};

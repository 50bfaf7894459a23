#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/GuardedHandle.h"
#include "platform/SerialPort.h"
#include "platform/posix/LineSettings.h"
#include "platform/posix/UucpLock.h"

// A serial device opened by its position in a device list: port number n is entry n-1. The
// reader sleeps in poll() on the device and on a wake-up pipe that Interrupt and Close write.
// A device another program holds is left untouched: its UUCP lock file in `lockFolder` is looked
// at before the device is opened, and ours is kept there while the port is open. The terminal
// this program runs in is never set up. Close puts back the line settings found at the open.
class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(std::vector<std::string> devicePaths, std::string lockFolder = kSystemLockFolder);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

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
    bool WaitForWriteRoom(int fd);
    void WakeWriter();
    // Closes a device this object opened, its line put back when it was saved.
    void Release(int fd, bool lineSaved);

    const std::vector<std::string> devicePaths_;
    UucpLock lock_;
    SavedLine savedLine_;  // written by Open, read by the Close of the same opening
    GuardedHandle<int> device_{-1};
    std::mutex writeMutex_;  // whole frames, and no speed change in the middle of one
    mutable std::mutex wakeMutex_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    // Wakes a write waiting for room in the output queue when the port closes.
    int writerWakeRead_ = -1;
    int writerWakeWrite_ = -1;
    std::atomic<bool> lineLost_{false};
    PortOpenError lastOpenError_ = PortOpenError::None;
};

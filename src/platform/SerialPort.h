#pragma once

#include <cstddef>
#include <cstdint>

// One serial port to the interface adapter. One thread reads (the receive thread), any thread
// may write, set the speed, purge or close; an implementation keeps those calls from disturbing
// a pending read.
class SerialPort {
public:
    enum class WaitResult {
        DataAvailable,  // bytes are queued; Read returns them
        Interrupted,    // Close or Interrupt woke the waiter
        Failed,         // the device is gone or refuses; the caller stops reading
    };

    virtual ~SerialPort() = default;

    // Opens the port with the given number exclusively, raw 8N1, no flow control, DTR and RTS
    // inactive, queues flushed, 9600 baud.
    virtual bool Open(int32_t portNumber) = 0;
    virtual bool IsOpen() const = 0;
    // Applies the whole line setting with the given baud rate (9600 or 38400).
    virtual bool SetBaudRate(uint32_t baud) = 0;
    virtual bool Write(const uint8_t* data, size_t count) = 0;
    // Blocks in the kernel until bytes are queued or the port is closed or interrupted.
    virtual WaitResult WaitForInput() = 0;
    // Reads at most `capacity` queued bytes without blocking; returns how many were read.
    virtual size_t Read(uint8_t* data, size_t capacity) = 0;
    // Drops both queues and aborts transfers in progress.
    virtual void Purge() = 0;
    // Wakes a thread blocked in WaitForInput without closing the port.
    virtual void Interrupt() = 0;
    virtual void Close() = 0;
};

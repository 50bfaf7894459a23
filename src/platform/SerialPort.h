#pragma once

#include <cstddef>
#include <cstdint>

// Why a port did not open.
enum class PortOpenError {
    None,
    Missing,       // no such device
    NoPermission,  // the user may not open it
    InUse,         // another program holds it
    NotSerial,     // it is not a serial device
    OwnTerminal,   // it is the terminal this program runs in
    Other,
};

// One serial port to the interface adapter. One thread reads (the receive thread); any thread
// may write, set the speed, purge, interrupt or close. Writes and speed changes never disturb a
// pending wait or read, and a close never releases the device under a call still using it.
class SerialPort {
public:
    enum class ReaderSetup {
        Ready,
        NoWaitObject,  // the reader's wait object could not be made
        Refused,       // the port refused to report received characters (or is not open)
    };
    enum class WaitResult {
        DataAvailable,  // bytes are queued; Read returns them
        Interrupted,    // Interrupt or Close woke the waiter
    };

    virtual ~SerialPort() = default;

    // Opens the port with the given number exclusively, raw 8N1, no flow control, DTR and RTS
    // inactive, queues flushed, 9600 baud. False when it is open already.
    virtual bool Open(int32_t portNumber) = 0;
    // Why the last Open failed; on the thread that opens.
    virtual PortOpenError LastOpenError() const { return PortOpenError::Other; }
    virtual bool IsOpen() const = 0;
    // Applies the whole line setting with the given baud rate (9600 or 38400).
    virtual bool SetBaudRate(uint32_t baud) = 0;
    // Writes the bytes whole; concurrent writes never interleave.
    virtual bool Write(const uint8_t* data, size_t count) = 0;

    // The receive side, used by one thread between StartReading and StopReading.
    virtual ReaderSetup StartReading() = 0;
    // Blocks in the kernel until bytes are queued, or returns Interrupted once for every
    // Interrupt or Close. On a closed port, or one whose device has gone, it only waits for
    // those: a lost device never makes the reader spin.
    virtual WaitResult WaitForInput() = 0;
    // Reads at most `capacity` queued bytes without blocking; returns how many were read.
    virtual size_t Read(uint8_t* data, size_t capacity) = 0;
    virtual void StopReading() = 0;

    // Drops both queues and aborts transfers in progress.
    virtual void Purge() = 0;
    // Wakes the reader's wait (or its next one) without closing the port.
    virtual void Interrupt() = 0;
    virtual void Close() = 0;
    // Any thread: the device hung up or failed since the port opened (unplugged); the reader then
    // only waits to be woken. A port that cannot tell says false.
    virtual bool LineLost() const { return false; }
};

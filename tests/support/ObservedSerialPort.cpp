#include "ObservedSerialPort.h"

#include <algorithm>

bool ObservedSerialPort::Write(const uint8_t* data, size_t count) {
    const bool written = device_.Write(data, count);
    std::lock_guard lock(mutex_);
    if (written) bytesWritten_ += count;
    return written;
}

SerialPort::ReaderSetup ObservedSerialPort::StartReading() {
    {
        std::lock_guard lock(mutex_);
        mostReaders_ = std::max(mostReaders_, ++readers_);
    }
    return device_.StartReading();
}

SerialPort::WaitResult ObservedSerialPort::WaitForInput() {
    {
        std::lock_guard lock(mutex_);
        ++waitsEntered_;
        bytesReadAtLastWait_ = bytesRead_;
        changed_.notify_all();
    }
    return device_.WaitForInput();
}

size_t ObservedSerialPort::Read(uint8_t* data, size_t capacity) {
    const size_t got = device_.Read(data, capacity);
    std::lock_guard lock(mutex_);
    bytesRead_ += got;
    return got;
}

void ObservedSerialPort::StopReading() {
    device_.StopReading();
    std::lock_guard lock(mutex_);
    --readers_;
}

size_t ObservedSerialPort::BytesWritten() const {
    std::lock_guard lock(mutex_);
    return bytesWritten_;
}

int ObservedSerialPort::WaitsEntered() const {
    std::lock_guard lock(mutex_);
    return waitsEntered_;
}

int ObservedSerialPort::Readers() const {
    std::lock_guard lock(mutex_);
    return readers_;
}

int ObservedSerialPort::MostReaders() const {
    std::lock_guard lock(mutex_);
    return mostReaders_;
}

bool ObservedSerialPort::AwaitReaderWaitingAfter(size_t totalBytes, std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, deadline, [&] { return bytesReadAtLastWait_ >= totalBytes; });
}

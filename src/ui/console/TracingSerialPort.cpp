#include "ui/console/TracingSerialPort.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint32_t kOpeningSpeed = 9600;

}  // namespace

std::string TraceLine(uint64_t milliseconds, uint32_t baud, const char* direction, const uint8_t* data, size_t count) {
    char head[64];
    std::snprintf(head, sizeof head, "%8llu.%03llu %5u %s", static_cast<unsigned long long>(milliseconds / 1000),
                  static_cast<unsigned long long>(milliseconds % 1000), baud, direction);
    std::string line = head;
    for (size_t i = 0; i < count; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", data[i]);
        line += byte;
    }
    return line;
}

TracingSerialPort::TracingSerialPort(SerialPort& port, std::ostream& trace) : port_(port), trace_(trace) {}

bool TracingSerialPort::Open(int32_t portNumber) {
    std::lock_guard lock(mutex_);
    const bool opened = port_.Open(portNumber);
    if (opened) {
        baud_ = kOpeningSpeed;
        received_.clear();
        trace_ << "port " << portNumber << " opened\n" << std::flush;
    }
    return opened;
}

bool TracingSerialPort::SetBaudRate(uint32_t baud) {
    std::lock_guard lock(mutex_);
    FlushPartialFrame();
    const bool set = port_.SetBaudRate(baud);
    if (set) baud_ = baud;
    return set;
}

bool TracingSerialPort::Write(const uint8_t* data, size_t count) {
    std::lock_guard lock(mutex_);
    FlushPartialFrame();
    const bool written = port_.Write(data, count);
    Log(written ? "tx" : "tx-failed", data, count);
    return written;
}

size_t TracingSerialPort::Read(uint8_t* data, size_t capacity) {
    const size_t count = port_.Read(data, capacity);
    std::lock_guard lock(mutex_);
    received_.insert(received_.end(), data, data + count);
    // A frame is its length byte L and L more bytes.
    while (!received_.empty() && received_.size() >= size_t{received_[0]} + 1) {
        const size_t frameSize = size_t{received_[0]} + 1;
        Log("rx", received_.data(), frameSize);
        received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(frameSize));
    }
    return count;
}

void TracingSerialPort::StopReading() {
    port_.StopReading();
    std::lock_guard lock(mutex_);
    FlushPartialFrame();
}

void TracingSerialPort::Purge() {
    std::lock_guard lock(mutex_);
    FlushPartialFrame();
    port_.Purge();
}

void TracingSerialPort::Close() {
    port_.Close();
    std::lock_guard lock(mutex_);
    FlushPartialFrame();
}

void TracingSerialPort::Note(std::string_view text) {
    std::lock_guard lock(mutex_);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    trace_ << TraceLine(static_cast<uint64_t>(elapsed.count()), baud_, "--", nullptr, 0) << ' ' << text << '\n'
           << std::flush;
}

void TracingSerialPort::Log(const char* direction, const uint8_t* data, size_t count) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    trace_ << TraceLine(static_cast<uint64_t>(elapsed.count()), baud_, direction, data, count) << '\n' << std::flush;
}

void TracingSerialPort::FlushPartialFrame() {
    if (received_.empty()) return;
    Log("rx-partial", received_.data(), received_.size());
    received_.clear();
}

#include "FakeSerialPort.h"

bool FakeSerialPort::Open(int32_t portNumber) {
    std::lock_guard lock(mutex_);
    openAttempts_.push_back(portNumber);
    if (open_ || (openable_ && !openable_->count(portNumber))) {
        const auto scripted = openErrors_.find(portNumber);
        lastOpenError_ = scripted != openErrors_.end() ? scripted->second : PortOpenError::Other;
        return false;
    }
    open_ = portNumber;
    lastOpenError_ = PortOpenError::None;
    lineLost_ = false;
    baud_ = 9600;
    baudHistory_.push_back(baud_);
    input_.clear();
    return true;
}

bool FakeSerialPort::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_.has_value();
}

bool FakeSerialPort::SetBaudRate(uint32_t baud) {
    std::lock_guard lock(mutex_);
    if (!open_ || refuseSpeedChanges_) return false;
    baud_ = baud;
    baudHistory_.push_back(baud);
    return true;
}

bool FakeSerialPort::Write(const uint8_t* data, size_t count) {
    std::function<void(const Bytes&)> handler;
    Bytes frame(data, data + count);
    {
        std::lock_guard lock(mutex_);
        if (!open_) return false;
        writes_.push_back(frame);
        handler = writeHandler_;
    }
    if (handler) handler(frame);
    return true;
}

SerialPort::ReaderSetup FakeSerialPort::StartReading() {
    std::lock_guard lock(mutex_);
    interrupted_ = false;  // a new wait object
    return open_ ? readerSetup_ : ReaderSetup::Refused;
}

SerialPort::WaitResult FakeSerialPort::WaitForInput() {
    std::unique_lock lock(mutex_);
    inputReady_.wait(lock, [&] { return (open_ && !input_.empty()) || interrupted_; });
    if (interrupted_) {
        interrupted_ = false;
        return WaitResult::Interrupted;
    }
    return WaitResult::DataAvailable;
}

size_t FakeSerialPort::Read(uint8_t* data, size_t capacity) {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    while (n < capacity && !input_.empty()) {
        data[n++] = input_.front();
        input_.pop_front();
    }
    return n;
}

void FakeSerialPort::StopReading() {}

void FakeSerialPort::Purge() {
    std::lock_guard lock(mutex_);
    input_.clear();
    ++purges_;
}

void FakeSerialPort::Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    inputReady_.notify_all();
}

void FakeSerialPort::Close() {
    std::lock_guard lock(mutex_);
    if (!open_) return;
    ++closes_;
    open_.reset();
    input_.clear();
    interrupted_ = true;
    inputReady_.notify_all();
}

void FakeSerialPort::SetOpenablePorts(std::set<int32_t> ports) {
    std::lock_guard lock(mutex_);
    openable_ = std::move(ports);
}

void FakeSerialPort::SetOpenError(int32_t portNumber, PortOpenError error) {
    std::lock_guard lock(mutex_);
    openErrors_[portNumber] = error;
}

PortOpenError FakeSerialPort::LastOpenError() const {
    std::lock_guard lock(mutex_);
    return lastOpenError_;
}

void FakeSerialPort::LoseLine() {
    std::lock_guard lock(mutex_);
    lineLost_ = true;
}

bool FakeSerialPort::LineLost() const {
    std::lock_guard lock(mutex_);
    return lineLost_;
}

void FakeSerialPort::RefuseSpeedChanges(bool refuse) {
    std::lock_guard lock(mutex_);
    refuseSpeedChanges_ = refuse;
}

void FakeSerialPort::SetReaderSetup(ReaderSetup result) {
    std::lock_guard lock(mutex_);
    readerSetup_ = result;
}

void FakeSerialPort::Deliver(const Bytes& bytes) {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    inputReady_.notify_all();
}

void FakeSerialPort::OnWrite(std::function<void(const Bytes&)> handler) {
    std::lock_guard lock(mutex_);
    writeHandler_ = std::move(handler);
}

std::vector<Bytes> FakeSerialPort::Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

void FakeSerialPort::ClearWrites() {
    std::lock_guard lock(mutex_);
    writes_.clear();
}

std::vector<int32_t> FakeSerialPort::OpenAttempts() const {
    std::lock_guard lock(mutex_);
    return openAttempts_;
}

std::optional<int32_t> FakeSerialPort::OpenPortNumber() const {
    std::lock_guard lock(mutex_);
    return open_;
}

uint32_t FakeSerialPort::Baud() const {
    std::lock_guard lock(mutex_);
    return baud_;
}

std::vector<uint32_t> FakeSerialPort::BaudHistory() const {
    std::lock_guard lock(mutex_);
    return baudHistory_;
}

int FakeSerialPort::PurgeCount() const {
    std::lock_guard lock(mutex_);
    return purges_;
}

int FakeSerialPort::CloseCount() const {
    std::lock_guard lock(mutex_);
    return closes_;
}

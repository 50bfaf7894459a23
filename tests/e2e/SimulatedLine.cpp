#include "SimulatedLine.h"

SimulatedLine::SimulatedLine(sim::Simulator& simulator, std::function<uint64_t()> nowMs, std::set<int32_t> adapterPorts)
    : simulator_(simulator), nowMs_(std::move(nowMs)), adapterPorts_(std::move(adapterPorts)) {}

bool SimulatedLine::Open(int32_t portNumber) {
    std::lock_guard lock(mutex_);
    if (open_) return false;
    open_ = portNumber;
    baud_ = 9600;
    return true;
}

bool SimulatedLine::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_.has_value();
}

bool SimulatedLine::SetBaudRate(uint32_t baud) {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    baud_ = baud;
    return true;
}

bool SimulatedLine::Write(const uint8_t* data, size_t count) {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    const uint64_t now = nowMs_();
    writes_.push_back({now, baud_, std::vector<uint8_t>(data, data + count)});
    if (adapterPorts_.count(*open_)) simulator_.Receive({data, count}, baud_, now * 1000);
    return true;
}

void SimulatedLine::Purge() {
    std::lock_guard lock(mutex_);
    ++purges_;
}

void SimulatedLine::Close() {
    std::lock_guard lock(mutex_);
    open_.reset();
}

bool SimulatedLine::ConnectedToAdapter() const {
    std::lock_guard lock(mutex_);
    return open_ && adapterPorts_.count(*open_);
}

uint32_t SimulatedLine::Baud() const {
    std::lock_guard lock(mutex_);
    return baud_;
}

std::size_t SimulatedLine::WriteCount() const {
    std::lock_guard lock(mutex_);
    return writes_.size();
}

std::vector<SimulatedLine::WireFrame> SimulatedLine::Writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
}

int SimulatedLine::Purges() const {
    std::lock_guard lock(mutex_);
    return purges_;
}

#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/SerialPort.h"
#include "sim/Simulator.h"

// The program's port on a line to the simulated adapter, in virtual time. What the program writes
// reaches the simulator at once, at the port's speed; what the simulator answers is handed to the
// program by the test (there is no receive thread: the test is the receiving side). Ports not in
// `adapterPorts` open but nothing answers on them.
class SimulatedLine : public SerialPort {
public:
    struct WireFrame {
        uint64_t atMs;
        uint32_t baud;
        std::vector<uint8_t> bytes;
    };

    SimulatedLine(sim::Simulator& simulator, std::function<uint64_t()> nowMs, std::set<int32_t> adapterPorts = {1});

    bool Open(int32_t portNumber) override;
    bool IsOpen() const override;
    bool SetBaudRate(uint32_t baud) override;
    bool Write(const uint8_t* data, size_t count) override;
    ReaderSetup StartReading() override { return ReaderSetup::Refused; }
    WaitResult WaitForInput() override { return WaitResult::Interrupted; }
    size_t Read(uint8_t*, size_t) override { return 0; }
    void StopReading() override {}
    void Purge() override;
    void Interrupt() override {}
    void Close() override;

    // Open on the port the adapter is on: what the simulator answers reaches the program.
    bool ConnectedToAdapter() const;
    uint32_t Baud() const;
    std::vector<WireFrame> Writes() const;
    std::size_t WriteCount() const;
    int Purges() const;

private:
    sim::Simulator& simulator_;
    std::function<uint64_t()> nowMs_;
    std::set<int32_t> adapterPorts_;
    mutable std::mutex mutex_;
    std::optional<int32_t> open_;
    uint32_t baud_ = 9600;
    std::vector<WireFrame> writes_;
    int purges_ = 0;
};

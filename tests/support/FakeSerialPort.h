#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "platform/SerialPort.h"

using Bytes = std::vector<uint8_t>;

// A port that records what is written to it and hands out bytes a test delivers.
class FakeSerialPort : public SerialPort {
public:
    bool Open(int32_t portNumber) override;
    PortOpenError LastOpenError() const override;
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
    bool LineLost() const override;

    // Script: which port numbers open (all when never set).
    void SetOpenablePorts(std::set<int32_t> ports);
    // Script: why a port that does not open fails (Other unless set).
    void SetOpenError(int32_t portNumber, PortOpenError error);
    // Script: the device goes away (until the port opens again).
    void LoseLine();
    // Script: whether speed changes are accepted (they are unless refused).
    void RefuseSpeedChanges(bool refuse);
    // Script: what the next StartReading reports (Ready unless set).
    void SetReaderSetup(ReaderSetup result);
    // Bytes arriving from the line.
    void Deliver(const Bytes& bytes);
    // Called with every frame written while the port is open (outside the port's lock).
    void OnWrite(std::function<void(const Bytes&)> handler);

    std::vector<Bytes> Writes() const;
    void ClearWrites();
    std::vector<int32_t> OpenAttempts() const;
    std::optional<int32_t> OpenPortNumber() const;
    uint32_t Baud() const;
    std::vector<uint32_t> BaudHistory() const;
    int PurgeCount() const;
    int CloseCount() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable inputReady_;
    std::optional<std::set<int32_t>> openable_;
    std::map<int32_t, PortOpenError> openErrors_;
    PortOpenError lastOpenError_ = PortOpenError::None;
    bool lineLost_ = false;
    std::optional<int32_t> open_;
    uint32_t baud_ = 0;
    std::vector<uint32_t> baudHistory_;
    std::deque<uint8_t> input_;
    std::vector<Bytes> writes_;
    std::vector<int32_t> openAttempts_;
    std::function<void(const Bytes&)> writeHandler_;
    bool interrupted_ = false;
    bool refuseSpeedChanges_ = false;
    ReaderSetup readerSetup_ = ReaderSetup::Ready;
    int purges_ = 0;
    int closes_ = 0;
};

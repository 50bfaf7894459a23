#pragma once

#include <sys/types.h>
#include <termios.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// ecu-sim as a child process with its standard output and error on pipes, and the host's end of
// its pseudo-terminal. Every wait has a generous limit that only turns a hang into a failure.
class EcuSimProcess {
public:
    explicit EcuSimProcess(std::vector<std::string> args);
    ~EcuSimProcess();

    const std::string& SlavePath() const { return slavePath_; }
    // Opens the slave raw, 8N1, at 9600 baud.
    bool OpenLine();
    void CloseLine();
    bool SetBaud(uint32_t baud);
    // Changes the line's settings as `change` says, on top of what they are.
    bool Configure(const std::function<void(termios&)>& change);
    bool Write(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> Read(std::size_t count);
    // Reads trace lines until one contains `text`.
    bool WaitForTrace(const std::string& text);
    // The operator switches the ECU off and on.
    void PowerCycle();
    // Waits for the process to end by itself; its exit status, or -1.
    int WaitForExit();

private:
    static constexpr int kLimitMs = 10'000;
    std::string ReadLine(int fd, std::string& buffer);

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int line_ = -1;
    std::string slavePath_;
    std::string outBuffer_, errBuffer_;
};

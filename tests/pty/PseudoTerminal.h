#pragma once

#include <termios.h>

#include <chrono>
#include <string>

#include "FakeSerialPort.h"  // Bytes

// A pseudo-terminal pair: the program opens the slave as its serial device; the test plays the
// line's far end on the master.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }

    void Write(const Bytes& bytes);
    // What the program has written so far and is readable now, without waiting.
    Bytes ReadAvailable();
    // The slave's line setting, as the far end sees it.
    termios SlaveSettings() const;
    // Whether the slave side has been closed again after the program opened it.
    bool SlaveClosed() const;
    void CloseMaster();

private:
    int master_ = -1;
    std::string slavePath_;
};

// A line setting in words, for comparing two: flags, speeds and control characters.
std::string LineSettingsText(const termios& settings);

using namespace std::chrono_literals;

// Checks `condition` until it holds or `deadline` has passed; for state that gives no event.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds deadline = 10s) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/Simulator.h"

namespace sim {

// Serves a Simulator on a pseudo-terminal in real time. The model learns the host's speed from
// the terminal's settings: packet mode with EXTPROC reports each change the other side makes, and
// the speed is read again whenever bytes come in or go out. Waits sleep in poll() on the
// terminal, a timer set to the model's next event, inotify on the terminal's device (to see the
// other side open and close it) and a signalfd; nothing polls.
class PtyServer {
public:
    struct Settings {
        bool once = false;   // end after a whole update, or once the other side closed the terminal
        bool trace = false;  // host speed changes on standard error
    };

    PtyServer(Simulator& simulator, Settings settings);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the terminal; false with `error` set when the system refuses.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return slavePath_; }
    // Serves until a signal ends it, the adapter is unplugged, or --once is satisfied.
    void Run();

private:
    uint64_t NowUs() const;
    uint32_t HostBaud() const;
    void ArmTimer();
    void ReportHostLine();
    void OnMasterReadable();
    void OnInotify();
    bool OnSignal();  // false: stop
    void Flush();
    void AwaitTheLineClosed(int mostMs);
    static constexpr int kLingerMs = 3000;

    Simulator& simulator_;
    Settings settings_;
    std::string slavePath_;
    int master_ = -1;
    int inotify_ = -1;
    int timer_ = -1;
    int signals_ = -1;
    uint64_t startNs_ = 0;
    int openCount_ = 0;  // descriptions of the terminal the other side holds open
    bool everOpened_ = false;
    uint32_t lastHostBaud_ = 0;
    std::vector<uint8_t> outgoing_;
};

}  // namespace sim

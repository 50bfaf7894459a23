#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeSerialPort.h"
#include "ObservedSerialPort.h"
#include "ScriptedDialogHost.h"
#include "VirtualClock.h"
#include "app/CFlashDlg.h"
#include "platform/PortEnumerator.h"
#include "platform/SystemInfo.h"

class FakePortEnumerator : public PortEnumerator {
public:
    std::vector<int32_t> ports;
    std::vector<int32_t> UsablePorts() override { return ports; }
};

class FakeSystemInfo : public SystemInfo {
public:
    std::string userName = "tester";
    bool available = true;
    bool UserName(std::string& out) override {
        out = userName;
        return available;
    }
};

// The dialog on a scripted window, a virtual clock and a fake port (or a real one). Timers fire in
// virtual time.
struct TestBench {
    ScriptedDialogHost host;
    VirtualClock clock;
    FakeSerialPort port;
    FakePortEnumerator ports;
    FakeSystemInfo system;
    ObservedSerialPort link;  // the port the dialog uses: `port` unless another was given
    std::unique_ptr<CFlashDlg> dlg;

    TestBench();
    explicit TestBench(SerialPort& device);

    // Fires one tick of the timer if it is running; false when it is not.
    bool FireTimer(int timerId);
    // Moves virtual time on by `ms`, firing every running timer at its period on the way and
    // calling `afterTick` with the timer's id after each tick.
    void RunFor(uint64_t ms, const std::function<void(int timerId)>& afterTick = {});
    // The running timer due next and when, if any timer runs.
    struct DueTimer {
        int id;
        uint64_t dueMs;
    };
    std::optional<DueTimer> NextTimer() const;

private:
    std::map<int, uint64_t> lastFiredMs_;
};

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "SimulatedLine.h"
#include "TestBench.h"
#include "sim/Simulator.h"

// A whole update in virtual time: the program on the scripted window and a virtual clock, the
// simulated adapter and ECU on its line. One thread drives everything in time order: timer ticks
// at their periods, the simulator's bytes at the moment the line has carried them, and, while a
// response handler waits, the ticks that fall into its wait.
class VirtualUpdateBench {
public:
    explicit VirtualUpdateBench(sim::SimOptions options, std::set<int32_t> adapterPorts = {1});

    sim::Simulator simulator;
    SimulatedLine line;
    TestBench bench;
    CFlashDlg& dlg() { return *bench.dlg; }
    ScriptedDialogHost& host() { return bench.host; }

    // The operator: presses "Proceed ->" as soon as it is enabled, and resets the ECU (switches
    // it off and on) when asked to.
    bool pressProceed = true;
    // The window runs the scheduler's send step as soon as a response was handled (as every
    // front end does); off, requests go out on scheduler ticks only.
    bool dispatchOnResponse = true;

    // Opens the dialog (its initialisation starts the hunt for the adapter).
    void Start();
    // Runs until `done` holds or `maxMs` of virtual time have passed; true when `done` held.
    bool RunUntil(const std::function<bool()>& done, uint64_t maxMs);
    // Runs until the run has ended (its final text shown, nothing pending).
    bool RunToEnd(uint64_t maxMs = 20 * 60 * 1000);
    void RunFor(uint64_t ms);

    // Line time of the answers handed to the program (10 bits per byte at the speed in force).
    uint64_t AnswerLineUs() const { return answerLineUs_; }

    std::vector<std::string> StatusTexts() const { return bench.host.StatusHistory(); }
    // The program's local time now (the date a history entry takes).
    std::tm LocalTime();
    // The frames the program wrote whose payload starts with these bytes.
    std::vector<SimulatedLine::WireFrame> FramesStartingWith(const std::vector<uint8_t>& payload) const;

private:
    bool Step(uint64_t limitMs);
    void Deliver(const std::vector<uint8_t>& bytes);
    void FireTimersUntil(uint64_t untilMs);

    uint64_t answerLineUs_ = 0;
    bool dispatchRequested_ = false;
};

#include "VirtualUpdateBench.h"

#include <algorithm>

#include "app/ControlIds.h"
#include "app/Texts.h"
#include "link/ConnectionSequence.h"

VirtualUpdateBench::VirtualUpdateBench(sim::SimOptions options, std::set<int32_t> adapterPorts)
    : simulator(std::move(options)),
      line(
          simulator, [this] { return bench.clock.NowMs(); }, adapterPorts),
      bench(line) {
    const int32_t highest = adapterPorts.empty() ? 1 : *adapterPorts.rbegin();
    for (int32_t port = 1; port <= highest; ++port) bench.ports.ports.push_back(port);
    bench.clock.OnSleep([this](uint64_t untilMs) { FireTimersUntil(untilMs); });
    bench.host.OnDispatchRequest([this] { dispatchRequested_ = true; });
    // A day the history can hold; a test sets its own where the date matters to it.
    bench.clock.SetLocalTime(VirtualClock::CalendarTime(2026, 12, 10, 9, 0, 0));
    bench.host.OnMessageBox([this](const ScriptedDialogHost::MessageBoxCall& box) {
        if (box.text == Text::ResetEcuFirst) simulator.PowerCycle(bench.clock.NowMs() * 1000);
    });
}

// Each bench is a new program: the hunt's program-wide state starts afresh.
void VirtualUpdateBench::Start() {
    ConnectState() = 0;
    CandidateIndex() = 0;
    dlg().OnInitDialog();
}

bool VirtualUpdateBench::RunUntil(const std::function<bool()>& done, uint64_t maxMs) {
    const uint64_t limit = bench.clock.NowMs() + maxMs;
    while (!done()) {
        if (pressProceed && bench.host.IsEnabled(ControlId::Proceed, false)) dlg().OnProceed();
        if (done()) break;
        if (!Step(limit)) return done();
    }
    return true;
}

bool VirtualUpdateBench::RunToEnd(uint64_t maxMs) {
    return RunUntil([this] { return dlg().RunEnded(); }, maxMs);
}

void VirtualUpdateBench::RunFor(uint64_t ms) {
    const uint64_t end = bench.clock.NowMs() + ms;
    RunUntil([&] { return bench.clock.NowMs() >= end; }, ms);
    bench.clock.AdvanceTo(end);
}

// One event, the earliest of the next timer tick and the next thing the simulator does.
bool VirtualUpdateBench::Step(uint64_t limitMs) {
    if (dispatchRequested_) {
        dispatchRequested_ = false;
        if (dispatchOnResponse) dlg().OnDispatch();
        return true;
    }
    const uint64_t now = bench.clock.NowMs();
    const std::optional<TestBench::DueTimer> timer = bench.NextTimer();
    std::optional<uint64_t> simMs;
    if (const std::optional<uint64_t> us = simulator.NextEventTime()) simMs = std::max(now, (*us + 999) / 1000);

    if (simMs && (!timer || *simMs <= timer->dueMs)) {
        if (*simMs > limitMs) return false;
        bench.clock.AdvanceTo(*simMs);
        Deliver(simulator.TakeDue(*simMs * 1000, line.Baud()));
        return true;
    }
    if (!timer || timer->dueMs > limitMs) return false;
    bench.clock.AdvanceTo(timer->dueMs);
    bench.FireTimer(timer->id);
    return true;
}

// What the receive thread would do with the bytes: read them in chunks of its buffer's size.
void VirtualUpdateBench::Deliver(const std::vector<uint8_t>& bytes) {
    if (!line.ConnectedToAdapter()) return;
    answerLineUs_ += bytes.size() * 10'000'000ull / line.Baud();
    constexpr size_t kChunk = 256;
    for (size_t at = 0; at < bytes.size(); at += kChunk)
        dlg().AssembleResponse(bytes.data() + at, static_cast<uint32_t>(std::min(kChunk, bytes.size() - at)));
}

void VirtualUpdateBench::FireTimersUntil(uint64_t untilMs) {
    while (const std::optional<TestBench::DueTimer> timer = bench.NextTimer()) {
        if (timer->dueMs > untilMs) break;
        bench.clock.AdvanceTo(timer->dueMs);
        bench.FireTimer(timer->id);
    }
}

std::tm VirtualUpdateBench::LocalTime() {
    std::tm now{};
    bench.clock.LocalTime(now);
    return now;
}

std::vector<SimulatedLine::WireFrame> VirtualUpdateBench::FramesStartingWith(
    const std::vector<uint8_t>& payload) const {
    std::vector<SimulatedLine::WireFrame> frames;
    for (const SimulatedLine::WireFrame& frame : line.Writes())
        if (frame.bytes.size() > payload.size() && std::equal(payload.begin(), payload.end(), frame.bytes.begin() + 1))
            frames.push_back(frame);
    return frames;
}

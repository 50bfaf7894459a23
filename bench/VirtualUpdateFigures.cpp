// Prints where the time of a whole update goes, in virtual time, for the largest selectable image
// against the simulated ECU with its default timing: the line, the designed waits, and the rest
// (waiting for scheduler ticks and for the ECU's own work).
#include <cstdio>
#include <numeric>

#include "VirtualUpdateBench.h"
#include "app/Texts.h"
#include "link/ConnectionSequence.h"

int main() {
    sim::SimOptions ecu;
    ecu.identity.modelCode = 17;  // P640, the largest image
    VirtualUpdateBench run(ecu);
    run.Start();
    if (!run.RunToEnd() || run.host().StatusText() != Text::FinishedOk) {
        std::fprintf(stderr, "the update did not finish: %s\n", run.host().StatusText().c_str());
        return 1;
    }
    uint64_t requestLineUs = 0;
    size_t requests = 0;
    for (const SimulatedLine::WireFrame& frame : run.line.Writes()) {
        requestLineUs += frame.bytes.size() * 10'000'000ull / frame.baud;
        ++requests;
    }
    const std::vector<uint32_t> sleeps = run.bench.clock.Sleeps();
    const uint64_t waitsMs = std::accumulate(sleeps.begin(), sleeps.end(), uint64_t{0});
    const double totalS = run.bench.clock.NowMs() / 1000.0;
    const double lineS = (requestLineUs + run.AnswerLineUs()) / 1e6;
    const double waitsS = waitsMs / 1000.0;
    const double ecuS = (requests * ecu.responseMs + 2 * ecu.eraseMs) / 1000.0;
    std::printf("whole update of P640 in virtual time: %.1f s (%zu requests)\n", totalS, requests);
    std::printf("  line (requests %.1f s, answers %.1f s): %.1f s\n", requestLineUs / 1e6, run.AnswerLineUs() / 1e6,
                lineS);
    std::printf("  designed waits (speed changes, resets): %.1f s\n", waitsS);
    std::printf("  the ECU's answer times and erases: %.1f s\n", ecuS);
    std::printf("  waiting for scheduler ticks and the connection: %.1f s\n", totalS - lineS - waitsS - ecuS);
    std::printf("ratio to the lower bound (line + designed waits + the ECU's time, %.1f s): %.3f\n",
                lineS + waitsS + ecuS, totalS / (lineS + waitsS + ecuS));
    return 0;
}

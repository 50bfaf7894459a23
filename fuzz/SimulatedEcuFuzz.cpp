// The simulated adapter and ECU on whatever a host sends: any bytes, at either speed, in any
// order of services. It must never read outside a request or crash, whatever the request holds.
//
// Input: chunks, each led by a byte whose low six bits are its length and whose top bit picks the
// host's speed; between chunks the model runs 20 ms on.
#include <cstdint>

#include "sim/Simulator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::SimOptions options;
    options.eraseMs = 5;
    options.bootMs = 5;
    sim::Simulator simulator(options);
    uint64_t nowUs = 0;
    size_t at = 0;
    while (at < size) {
        const uint8_t lead = data[at++];
        const size_t length = std::min<size_t>(lead & 0x3F, size - at);
        const uint32_t baud = (lead & 0x80) ? 38400 : 9600;
        simulator.Receive({data + at, length}, baud, nowUs);
        at += length;
        nowUs += 20'000;
        simulator.TakeDue(nowUs, baud);
    }
    while (const auto next = simulator.NextEventTime()) {
        if (*next > nowUs + 10'000'000) break;
        nowUs = std::max(nowUs, *next);
        simulator.TakeDue(nowUs, 9600);
    }
    return 0;
}

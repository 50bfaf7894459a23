#include "UartResample.h"

namespace sim {

std::vector<uint8_t> UartResample(std::span<const uint8_t> bytes, uint32_t txBaud, uint32_t rxBaud) {
    if (txBaud == 0 || rxBaud == 0) return {};
    if (txBaud == rxBaud) return {bytes.begin(), bytes.end()};
    // Time in units of 1 / (txBaud * rxBaud) s: a sent bit lasts rxBaud units, a received one txBaud.
    const uint64_t txBit = rxBaud;
    const uint64_t rxBit = txBaud;
    const uint64_t lineEnd = bytes.size() * 10 * txBit;
    const auto level = [&](uint64_t t) -> int {
        const uint64_t bit = t / txBit;
        if (bit >= bytes.size() * 10) return 1;
        const uint64_t position = bit % 10;
        if (position == 0) return 0;
        if (position == 9) return 1;
        return (bytes[bit / 10] >> (position - 1)) & 1;
    };

    std::vector<uint8_t> received;
    uint64_t t = 0;
    while (t < lineEnd) {
        // The start bit begins at the first low level from t on; levels only change at sent bit edges.
        if (level(t) != 0) {
            t = (t / txBit + 1) * txBit;
            continue;
        }
        const uint64_t start = t;
        const auto sample = [&](int bit) { return level(start + rxBit * bit + rxBit / 2); };
        if (sample(0) != 0) {
            t = start + rxBit / 2 + 1;  // a glitch, not a start bit
            continue;
        }
        uint8_t value = 0;
        for (int bit = 0; bit < 8; ++bit) value = static_cast<uint8_t>(value | sample(1 + bit) << bit);
        received.push_back(sample(9) ? value : 0);
        t = start + rxBit * 9 + rxBit / 2;
    }
    return received;
}

}  // namespace sim

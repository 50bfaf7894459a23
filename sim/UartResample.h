#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// The bytes a UART at `rxBaud` receives when `bytes` are sent back to back at `txBaud`, 8N1,
// least significant bit first, the line idle high before and after. A byte whose stop bit is
// sampled low (framing error) is received as 0, as a Linux port without PARMRK delivers it.
// Equal speeds give the bytes unchanged; a speed of 0 (a line hung up, or a speed the adapter
// cannot talk at) gives nothing.
std::vector<uint8_t> UartResample(std::span<const uint8_t> bytes, uint32_t txBaud, uint32_t rxBaud);

// Time in microseconds until byte `index` (0-based) of a run starting at 0 has fully arrived.
inline uint64_t ByteEndUs(std::size_t index, uint32_t baud) { return ((index + 1) * 10'000'000ull + baud - 1) / baud; }

}  // namespace sim

#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Sets the two bytes at `position` so that the CRC-16/CCITT-FALSE of the whole area becomes
// `target`. The CRC is run forward up to the word and backward from the target down to it, so
// each area is passed over once.
void CorrectCrc16CcittFalse(std::span<uint8_t> area, std::size_t position, uint16_t target);

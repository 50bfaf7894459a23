#include "FlashMemory.h"

#include <algorithm>

#include "firmware/Crc16CcittFalse.h"

namespace sim {

FlashMemory::FlashMemory(uint32_t size) : cells_(std::max(size, kUpperBegin + 1), 0xFF) {}

AreaRange FlashMemory::Range(FlashArea area) const {
    if (area == FlashArea::Base) return {0, kUpperBegin};
    return {kUpperBegin, Size()};
}

std::optional<FlashArea> FlashMemory::AreaHolding(uint32_t address, uint32_t count) const {
    const uint64_t end = uint64_t{address} + count;
    for (FlashArea area : {FlashArea::Base, FlashArea::Upper}) {
        const AreaRange r = Range(area);
        if (address >= r.begin && end <= r.end) return area;
    }
    return std::nullopt;
}

void FlashMemory::Erase(FlashArea area) {
    const AreaRange r = Range(area);
    std::fill(cells_.begin() + r.begin, cells_.begin() + r.end, uint8_t{0xFF});
}

void FlashMemory::Program(uint32_t address, std::span<const uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); ++i) cells_.at(address + i) &= data[i];
}

void FlashMemory::Load(uint32_t address, std::span<const uint8_t> data) {
    for (std::size_t i = 0; i < data.size(); ++i) cells_.at(address + i) = data[i];
}

uint16_t FlashMemory::Crc(FlashArea area) const {
    const AreaRange r = Range(area);
    return Crc16CcittFalse(cells_.data() + r.begin, r.end - r.begin);
}

}  // namespace sim

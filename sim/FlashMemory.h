#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

enum class FlashArea { Base, Upper };

struct AreaRange {
    uint32_t begin;
    uint32_t end;  // one past the last byte
};

// The ECU's flash: the base area 0x00000-0x1FFFF and the upper area from 0x20000 to the end.
// A write can only clear bits, as real flash does; only an erase brings them back to 1.
class FlashMemory {
public:
    static constexpr uint32_t kUpperBegin = 0x20000;

    // `size` is the end of the upper area; it is above kUpperBegin.
    explicit FlashMemory(uint32_t size);

    uint32_t Size() const { return static_cast<uint32_t>(cells_.size()); }
    AreaRange Range(FlashArea area) const;
    // The area that holds all of [address, address + count), if one does.
    std::optional<FlashArea> AreaHolding(uint32_t address, uint32_t count) const;

    void Erase(FlashArea area);
    // ANDs `data` into the cells from `address`; the caller has checked the range.
    void Program(uint32_t address, std::span<const uint8_t> data);
    // Sets the cells as they leave the factory or an earlier programming, bypassing the AND.
    void Load(uint32_t address, std::span<const uint8_t> data);

    uint16_t Crc(FlashArea area) const;
    std::span<const uint8_t> Bytes() const { return cells_; }

private:
    std::vector<uint8_t> cells_;
};

}  // namespace sim

#include "RecordStore.h"

#include <algorithm>
#include <cstring>

#include "link/Framing.h"

namespace sim {

namespace {

std::size_t IndexOf(const RecordLayout& record) { return static_cast<std::size_t>(&record - RecordCatalogue().data()); }

bool IsLocal(const RecordLayout& record, uint8_t id) { return record.readService == 0x21 && record.id == id; }

uint8_t Bcd(unsigned value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

// Local identifier 0x33 as a freshly written ECU holds it: 0xFF in bytes 4 and 6, the sum of
// bytes 0-8 in byte 9.
void ShapeRecord33(std::span<uint8_t> bytes) {
    bytes[4] = 0xFF;
    bytes[6] = 0xFF;
    bytes[9] = ByteSum(bytes.data(), 9);
}

// A value for a byte whose factory value is `factory`: never equal to it, nor to `avoid`.
uint8_t Unlike(uint8_t factory, Prng& prng, int avoid = -1) {
    for (;;) {
        const uint8_t b = prng.NextByte();
        if (b != factory && b != avoid) return b;
    }
}

// Four entries of earlier updates, the empty entry after the newest, then entries never written
// (0xFF): the program takes entry 4 for its own and empties entry 5.
void FillHistory(std::span<uint8_t> history, Prng& prng) {
    std::fill(history.begin(), history.end(), uint8_t{0xFF});
    for (unsigned entry = 0; entry < 4; ++entry) {
        uint8_t* e = history.data() + entry * 16;
        e[0] = Bcd(1 + prng.Next() % 28);
        e[1] = Bcd(1 + prng.Next() % 12);
        e[2] = Bcd(10 + entry * 2);
        for (int i = 3; i < 6; ++i) e[i] = static_cast<uint8_t>('0' + prng.Next() % 10);
        e[6] = 'E';
        std::memcpy(e + 7, "service", 7);
        e[14] = static_cast<uint8_t>('1' + entry);
        e[15] = 0;
    }
    std::fill_n(history.begin() + 4 * 16, 16, uint8_t{0});
}

// 21 17 as the program's read repair finds work in it: bytes 2, 3 and 5 zero, the bytes they
// are mended from not.
void ShapeRecord17(std::span<uint8_t> bytes, std::span<const uint8_t> factory, Prng& prng) {
    for (std::size_t i : {0u, 1u, 4u}) bytes[i] = Unlike(factory[i], prng, 0x00);
    bytes[2] = bytes[3] = bytes[5] = 0x00;
}

// 21 33 as the program's read repair finds work in it: bytes 4 and 6 not 0xFF, byte 9 not the sum.
void UnshapeRecord33(std::span<uint8_t> bytes, std::span<const uint8_t> factory, Prng& prng) {
    bytes[4] = Unlike(factory[4], prng, 0xFF);
    bytes[6] = Unlike(factory[6], prng, 0xFF);
    bytes[9] = Unlike(factory[9], prng, ByteSum(bytes.data(), 9));
}

bool InGap(const RecordLayout& record, std::size_t offset) {
    return record.addressing == Addressing::Block && !HasBlock(record, static_cast<uint8_t>(offset / record.width));
}

}  // namespace

std::vector<uint8_t> RecordStore::Factory(const RecordLayout& record) {
    std::vector<uint8_t> bytes(StoredSize(record));
    if (IsLocal(record, kHistoryId)) return bytes;  // an empty history
    // Neither 0x00 nor 0xFF anywhere, so a write of blank data shows as well as a missing one.
    const std::size_t index = IndexOf(record);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = InGap(record, i) ? 0xFF : static_cast<uint8_t>(0x11 * (1 + (index + i) % 14));
    if (IsLocal(record, 0x33)) ShapeRecord33(bytes);
    return bytes;
}

RecordStore::RecordStore(Prng& prng) {
    for (const RecordLayout& record : RecordCatalogue()) {
        const std::vector<uint8_t> factory = Factory(record);
        std::vector<uint8_t> bytes(factory.size());
        if (IsLocal(record, kHistoryId)) {
            FillHistory(bytes, prng);
        } else {
            // Block numbers without a block hold nothing: no difference to report.
            for (std::size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = InGap(record, i) ? 0xFF : Unlike(factory[i], prng);
            if (IsLocal(record, 0x17)) ShapeRecord17(bytes, factory, prng);
            if (IsLocal(record, 0x33)) UnshapeRecord33(bytes, factory, prng);
        }
        values_.push_back(std::move(bytes));
    }
}

void RecordStore::ResetToFactory() {
    for (const RecordLayout& record : RecordCatalogue()) {
        const std::vector<uint8_t> factory = Factory(record);
        auto bytes = Of(record);
        std::copy(factory.begin(), factory.end() - record.readOnlyTail, bytes.begin());
    }
}

std::span<uint8_t> RecordStore::Of(const RecordLayout& record) { return values_.at(IndexOf(record)); }

std::span<const uint8_t> RecordStore::Of(const RecordLayout& record) const { return values_.at(IndexOf(record)); }

namespace {

const RecordLayout& Identification(uint8_t option) {
    for (const RecordLayout& r : RecordCatalogue())
        if (r.readService == 0x1A && r.id == option) return r;
    return RecordCatalogue().front();
}

}  // namespace

std::span<uint8_t> RecordStore::Vin() { return Of(Identification(0x90)); }
std::span<uint8_t> RecordStore::HardwareSerial() { return Of(Identification(0x92)); }

std::vector<uint8_t> SeededVin(Prng& prng) {
    constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKLMNPRSTUVWXYZ";
    const std::vector<uint8_t> factory = RecordStore::Factory(Identification(0x90));
    std::vector<uint8_t> vin(factory.size());
    do {
        for (std::size_t i = 0; i < vin.size(); ++i) {
            do vin[i] = static_cast<uint8_t>(kAlphabet[prng.Below(kAlphabet.size())]);
            while (vin[i] == factory[i]);
        }
    } while (std::all_of(vin.begin(), vin.end(), [&](uint8_t c) { return c == vin[0]; }));
    return vin;
}

std::span<uint8_t> RecordStore::Block(const RecordLayout& record, uint8_t block) {
    auto bytes = Of(record);
    if (record.addressing != Addressing::Block) return bytes;
    return bytes.subspan(std::size_t{block} * record.width, record.width);
}

}  // namespace sim

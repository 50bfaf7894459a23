#include "RecordStore.h"

#include <algorithm>
#include <cstring>

#include "link/Framing.h"

namespace sim {

namespace {

std::size_t IndexOf(const RecordLayout& record) {
    return static_cast<std::size_t>(&record - RecordCatalogue().data());
}

uint8_t Bcd(unsigned value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

// Local identifier 0x33 carries 0xFF in bytes 4 and 6 and the sum of bytes 0-8 in byte 9.
void ShapeRecord33(std::span<uint8_t> bytes) {
    bytes[4] = 0xFF;
    bytes[6] = 0xFF;
    bytes[9] = ByteSum(bytes.data(), 9);
}

// Three used entries, the next one empty: the shape a history has after three updates.
void FillHistory(std::span<uint8_t> history, Prng& prng) {
    std::fill(history.begin(), history.end(), uint8_t{0});
    for (unsigned entry = 0; entry < 3; ++entry) {
        uint8_t* e = history.data() + entry * 16;
        e[0] = Bcd(1 + prng.Next() % 28);
        e[1] = Bcd(1 + prng.Next() % 12);
        e[2] = Bcd(10 + entry * 2);
        for (int i = 3; i < 6; ++i) e[i] = static_cast<uint8_t>('0' + prng.Next() % 10);
        e[6] = 'E';
        std::memcpy(e + 7, "service", 7);
        e[14] = static_cast<uint8_t>('1' + entry);
    }
}

void Shape(const RecordLayout& record, std::span<uint8_t> bytes) {
    if (record.readService == 0x21 && record.id == 0x33) ShapeRecord33(bytes);
}

} // namespace

RecordStore::RecordStore(Prng& prng) {
    for (const RecordLayout& record : RecordCatalogue()) {
        std::vector<uint8_t> bytes(StoredSize(record));
        if (record.readService == 0x21 && record.id == kHistoryId)
            FillHistory(bytes, prng);
        else
            for (auto& b : bytes) b = prng.NextByte();
        // Block numbers without a block hold nothing: no seed, and no difference to report.
        for (unsigned block = 0; block < record.blockCount; ++block)
            if (!HasBlock(record, static_cast<uint8_t>(block)))
                std::fill_n(bytes.begin() + block * record.width, record.width, uint8_t{0xFF});
        Shape(record, bytes);
        values_.push_back(std::move(bytes));
    }
}

void RecordStore::ResetToFactory() {
    for (const RecordLayout& record : RecordCatalogue()) {
        auto bytes = Of(record);
        const uint8_t blank = record.id == kHistoryId && record.readService == 0x21 ? 0x00 : 0xFF;
        std::fill(bytes.begin(), bytes.end() - record.readOnlyTail, blank);
        Shape(record, bytes);
    }
}

std::span<uint8_t> RecordStore::Of(const RecordLayout& record) { return values_.at(IndexOf(record)); }

std::span<const uint8_t> RecordStore::Of(const RecordLayout& record) const { return values_.at(IndexOf(record)); }

std::span<uint8_t> RecordStore::Block(const RecordLayout& record, uint8_t block) {
    auto bytes = Of(record);
    if (record.addressing != Addressing::Block) return bytes;
    return bytes.subspan(std::size_t{block} * record.width, record.width);
}

} // namespace sim

#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "TemporaryFolder.h"
#include "journal/JournalFormat.h"

// A journal entry with every field set and a snapshot whose bytes differ from one another.
inline std::unique_ptr<JournalEntry> SampleEntry(std::string_view vin = "WVWZZZ1KZAW000123",
                                                 JournalTime startedAt = {2026, 12, 10, 13, 6, 3},
                                                 std::array<uint8_t, 4> serial = {0x03, 0x12, 0xAB, 0x05}) {
    auto entry = std::make_unique<JournalEntry>();
    JournalHeader& h = entry->header;
    h.progress = JournalProgress::ProgrammingStarted;
    std::memcpy(h.vin.data(), vin.data(), std::min<std::size_t>(vin.size(), h.vin.size()));
    h.hardwareSerial = serial;
    h.modelCode = 17;
    h.variant = -2;
    h.softwareDate = "Mar 14 2010";
    h.softwareTime = "09:30:00";
    h.softwareVersion = "304E";
    h.imageIndex = 5;
    h.startedAt = startedAt;
    auto* bytes = reinterpret_cast<uint8_t*>(&entry->snapshot);
    for (std::size_t i = 0; i < sizeof entry->snapshot; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + vin[0]);
    for (std::size_t i = 0; i < entry->savedMarks.size(); ++i) entry->savedMarks[i] = i % 3 == 0;
    return entry;
}

// The journal as the disk holds it now, read past any lock on it; null when it does not decode.
inline std::unique_ptr<JournalEntry> JournalOnDisk(const std::string& path) {
    const std::string text = TemporaryFolder::ReadAll(path);
    auto entry = std::make_unique<JournalEntry>();
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return DecodeJournal(bytes, *entry) == JournalDecodeResult::Ok ? std::move(entry) : nullptr;
}

inline constexpr std::size_t kMagicSize = 22;

// The journal's checksum made anew after its bytes were changed.
inline void Reseal(std::vector<uint8_t>& bytes) {
    const uint32_t crc = Crc32(std::span(bytes).first(bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
}

// The entry as the previous version wrote it: no layout id, its time local, nothing after the marks.
inline std::vector<uint8_t> FirstFormatBytes(const JournalEntry& entry) {
    std::vector<uint8_t> bytes = EncodeJournal(entry);
    const std::size_t layoutAt = bytes.size() - 4 - 1 - kSavedMarkCount - 2 - sizeof(EcuDataSnapshot) - 4 - 4;
    bytes.erase(bytes.end() - 5);  // the records-read-at-start flag
    bytes.erase(bytes.begin() + static_cast<long>(layoutAt), bytes.begin() + static_cast<long>(layoutAt) + 4);
    bytes[kMagicSize] = 1;
    Reseal(bytes);
    return bytes;
}

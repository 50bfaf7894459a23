#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Small S-record texts for the tests. The reader does not check record checksums, so every
// record here ends in "00".
inline std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string hex;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", b);
        hex += pair;
    }
    return hex;
}

inline std::string S3WithByteCount(uint32_t address, uint32_t byteCount, const std::vector<uint8_t>& data) {
    char head[13];
    std::snprintf(head, sizeof head, "S3%02X%08X", byteCount & 0xFF, address);
    return head + HexBytes(data) + "00\r\n";
}

inline std::string S3(uint32_t address, const std::vector<uint8_t>& data) {
    return S3WithByteCount(address, static_cast<uint32_t>(data.size() + 5), data);
}

inline std::string S5(uint32_t count) {
    char record[17];
    std::snprintf(record, sizeof record, "S505%08X", count);
    return record + std::string("00\r\n");
}

inline const std::string kS0 = "S00600004844521B\r\n";
inline const std::string kS7 = "S70500000000FA\r\n";

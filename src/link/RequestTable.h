#pragma once

#include <array>
#include <cstdint>

// One request template: a frame without its checksum. body[0] is the length byte L (itself and
// the payload), body[1..L-1] the payload; body[L] receives the checksum when the row is sent.
struct RequestEntry {
    uint32_t index;
    uint8_t body[256];
};
static_assert(sizeof(RequestEntry) == 260);

inline constexpr int kRequestRowCount = 185;

using RequestRows = std::array<RequestEntry, kRequestRowCount>;
static_assert(sizeof(RequestRows) == 48100);

// The built-in table, rows 0..184; the dialog works on a copy of it.
extern const RequestRows RequestTable;

// Rows the session names by role.
namespace Row {
inline constexpr int InterfaceVersion = 0;    // 02 90
inline constexpr int StartSession84 = 1;      // 10 84
inline constexpr int StartSession85 = 2;      // 10 85
inline constexpr int EcuReset = 3;            // 11 01
inline constexpr int FirstIdentification = 4; // 1A 40
inline constexpr int StopSession = 27;        // 20
inline constexpr int ReadDate = 53;           // 21 60
inline constexpr int ReadTime = 54;           // 21 61
inline constexpr int ReadVersion = 55;        // 21 64
inline constexpr int SeedLevel5 = 87;         // 27 05
inline constexpr int SeedLevel7 = 88;         // 27 07
inline constexpr int KeyLevel5 = 89;          // 27 06 key
inline constexpr int KeyLevel7 = 90;          // 27 08 key
inline constexpr int Routine09 = 91;          // 31 09
inline constexpr int Routine04 = 92;          // 31 04
inline constexpr int Routine06 = 93;          // 31 06
inline constexpr int Routine0F = 94;          // 31 0F
inline constexpr int FirstWrite = 95;         // 3B 12
inline constexpr int WriteHistory = 137;      // 3B 69 nn
inline constexpr int LastWrite = 173;         // 3B BD 00
inline constexpr int WriteMemory = 174;       // 3D, one flash tag
inline constexpr int Routine10 = 175;         // 31 10
inline constexpr int Routine0D = 176;         // 31 0D
inline constexpr int ClearDiagnostics = 177;  // 14 00 00
inline constexpr int BaseChecksum = 178;      // 21 83 00
inline constexpr int UpperChecksum = 179;     // 21 83 01
inline constexpr int ModelCode = 180;         // 21 AC
} // namespace Row

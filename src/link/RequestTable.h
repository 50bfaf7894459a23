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

// The service a row asks for (the memory write's row holds a frame only once a tag was placed in it).
uint8_t ServiceOfRow(int row);

// Rows the session names by role.
namespace Row {
inline constexpr int InterfaceVersion = 0;    // 02 90
inline constexpr int StartSession84 = 1;      // 10 84
inline constexpr int StartSession85 = 2;      // 10 85
inline constexpr int EcuReset = 3;            // 11 01
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
inline constexpr int Routine19 = 181;         // 31 19 00 00, never asked for

// The snapshot's records: the row that reads each one and the row that writes it back, named
// after the record (identification option, or local identifier and sub-identifier).
inline constexpr int ReadIdent40 = 4;
inline constexpr int ReadIdent41 = 5;
inline constexpr int ReadIdent42 = 6;
inline constexpr int ReadIdent43 = 7;
inline constexpr int ReadIdent44 = 8;
inline constexpr int ReadIdent45 = 9;
inline constexpr int ReadIdent46 = 10;
inline constexpr int ReadIdent47 = 11;
inline constexpr int ReadIdent48 = 12;
inline constexpr int ReadIdent49 = 13;
inline constexpr int ReadIdent4A = 14;
inline constexpr int ReadIdent4B = 15;
inline constexpr int ReadIdent4C = 16;
inline constexpr int ReadIdent4D = 17;
inline constexpr int ReadIdent4E = 18;
inline constexpr int ReadIdent4F = 19;
inline constexpr int ReadIdent88 = 20;
inline constexpr int ReadIdent8A = 21;
inline constexpr int ReadIdent90 = 22;
inline constexpr int ReadIdent91 = 23;
inline constexpr int ReadIdent92 = 24;
inline constexpr int ReadIdent94 = 25;
inline constexpr int ReadIdent99 = 26;
inline constexpr int ReadLocal12 = 28;
inline constexpr int ReadLocal14 = 29;
inline constexpr int ReadLocal15 = 30;
inline constexpr int ReadLocal17 = 31;
inline constexpr int ReadLocal1A = 32;
inline constexpr int ReadLocal1C = 33;
inline constexpr int ReadLocal1D = 34;
inline constexpr int ReadLocal1E00 = 35;
inline constexpr int ReadLocal1E01 = 36;
inline constexpr int ReadLocal1F02 = 37;
inline constexpr int ReadLocal20 = 38;
inline constexpr int ReadLocalC1 = 39;
inline constexpr int ReadLocal23 = 40;
inline constexpr int ReadLocal24 = 41;
inline constexpr int ReadLocal25 = 42;
inline constexpr int ReadLocal26 = 43;
inline constexpr int ReadLocal2C = 44;
inline constexpr int ReadLocal2E = 45;
inline constexpr int ReadLocal32 = 46;
inline constexpr int ReadLocalBE = 47;
inline constexpr int ReadLocal33 = 48;
inline constexpr int ReadLocal36 = 49;
inline constexpr int ReadLocal38 = 50;
inline constexpr int ReadLocal39 = 51;
inline constexpr int ReadLocal3A = 52;
inline constexpr int ReadLocal65 = 56;
inline constexpr int ReadHistory = 57;
inline constexpr int ReadLocal6A = 58;
inline constexpr int ReadLocal6D = 59;
inline constexpr int ReadLocal70 = 60;
inline constexpr int ReadLocal71 = 61;
inline constexpr int ReadLocal72 = 62;
inline constexpr int ReadLocal73 = 63;
inline constexpr int ReadLocal74 = 64;
inline constexpr int ReadLocal75 = 65;
inline constexpr int ReadLocal76 = 66;
inline constexpr int ReadLocal77 = 67;
inline constexpr int ReadLocal78 = 68;
inline constexpr int ReadLocal79 = 69;
inline constexpr int ReadLocal7C = 70;
inline constexpr int ReadLocal84 = 71;
inline constexpr int ReadLocal85 = 72;
inline constexpr int ReadLocal86 = 73;
inline constexpr int ReadLocal89 = 74;
inline constexpr int ReadLocalAD = 75;
inline constexpr int ReadLocalAE = 76;
inline constexpr int ReadLocalAF = 77;
inline constexpr int ReadLocalB800 = 78;
inline constexpr int ReadLocalB801 = 79;
inline constexpr int ReadLocalB802 = 80;
inline constexpr int ReadLocalB810 = 81;
inline constexpr int ReadLocalB820 = 82;
inline constexpr int ReadLocalB100 = 83;
inline constexpr int ReadLocalB101 = 84;
inline constexpr int ReadLocalBA = 85;
inline constexpr int ReadLocalBD00 = 86;
inline constexpr int WriteLocal12 = 95;
inline constexpr int WriteLocal14 = 96;
inline constexpr int WriteLocal15 = 97;
inline constexpr int WriteLocal17 = 98;
inline constexpr int WriteLocal1A = 99;
inline constexpr int WriteLocal1C = 100;
inline constexpr int WriteLocal1D = 101;
inline constexpr int WriteLocal1E00 = 102;
inline constexpr int WriteLocal1E01 = 103;
inline constexpr int WriteLocal1F02 = 104;
inline constexpr int WriteLocal20 = 105;
inline constexpr int WriteLocalC1 = 106;
inline constexpr int WriteLocal23 = 107;
inline constexpr int WriteLocal24 = 108;
inline constexpr int WriteLocal25 = 109;
inline constexpr int WriteLocal26 = 110;
inline constexpr int WriteLocal2C = 111;
inline constexpr int WriteLocal2E = 112;
inline constexpr int WriteLocal32 = 113;
inline constexpr int WriteLocalBE = 114;
inline constexpr int WriteLocal33 = 115;
inline constexpr int WriteLocal36 = 116;
inline constexpr int WriteLocal38 = 117;
inline constexpr int WriteLocal39 = 118;
inline constexpr int WriteLocal3A = 119;
inline constexpr int WriteIdent40 = 120;
inline constexpr int WriteIdent41 = 121;
inline constexpr int WriteIdent42 = 122;
inline constexpr int WriteIdent43 = 123;
inline constexpr int WriteIdent44 = 124;
inline constexpr int WriteIdent45 = 125;
inline constexpr int WriteIdent46 = 126;
inline constexpr int WriteIdent47 = 127;
inline constexpr int WriteIdent48 = 128;
inline constexpr int WriteIdent49 = 129;
inline constexpr int WriteIdent4A = 130;
inline constexpr int WriteIdent4B = 131;
inline constexpr int WriteIdent4C = 132;
inline constexpr int WriteIdent4D = 133;
inline constexpr int WriteIdent4E = 134;
inline constexpr int WriteIdent4F = 135;
inline constexpr int WriteLocal65 = 136;
inline constexpr int WriteLocal6A = 138;
inline constexpr int WriteLocal6D = 139;
inline constexpr int WriteLocal70 = 140;
inline constexpr int WriteLocal71 = 141;
inline constexpr int WriteLocal72 = 142;
inline constexpr int WriteLocal73 = 143;
inline constexpr int WriteLocal74 = 144;
inline constexpr int WriteLocal75 = 145;
inline constexpr int WriteLocal76 = 146;
inline constexpr int WriteLocal77 = 147;
inline constexpr int WriteLocal78 = 148;
inline constexpr int WriteLocal79 = 149;
inline constexpr int WriteLocal7C = 150;
inline constexpr int WriteLocal84 = 151;
inline constexpr int WriteLocal85 = 152;
inline constexpr int WriteLocal86 = 153;
inline constexpr int WriteIdent88 = 154;
inline constexpr int WriteLocal89 = 155;
inline constexpr int WriteIdent8A = 156;
inline constexpr int WriteIdent90 = 157;
inline constexpr int WriteIdent91 = 158;
inline constexpr int WriteIdent92 = 159;
inline constexpr int WriteIdent94 = 160;
inline constexpr int WriteIdent99 = 161;
inline constexpr int WriteLocalAD = 162;
inline constexpr int WriteLocalAE = 163;
inline constexpr int WriteLocalAF = 164;
inline constexpr int WriteLocalB800 = 165;
inline constexpr int WriteLocalB801 = 166;
inline constexpr int WriteLocalB802 = 167;
inline constexpr int WriteLocalB810 = 168;
inline constexpr int WriteLocalB820 = 169;
inline constexpr int WriteLocalB100 = 170;
inline constexpr int WriteLocalB101 = 171;
inline constexpr int WriteLocalBA = 172;
inline constexpr int WriteLocalBD00 = 173;
}  // namespace Row

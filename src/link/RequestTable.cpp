#include "link/RequestTable.h"

#include <initializer_list>

#include "link/ServiceIds.h"

namespace {

constexpr void Put(RequestEntry& row, std::initializer_list<uint8_t> bytes) {
    int i = 0;
    for (uint8_t b : bytes) row.body[i++] = b;
}

// Read rows 28..86: local identifier and, where the row has one, its parameter (-1: none).
struct LocalRead {
    uint8_t id;
    int param;
};
constexpr LocalRead kLocalReads[] = {
    {0x12, -1},   {0x14, -1},   {0x15, -1},   {0x17, -1},   {0x1A, 0},    {0x1C, -1},   {0x1D, -1},   {0x1E, 0x00},
    {0x1E, 0x01}, {0x1F, 0x02}, {0x20, -1},   {0xC1, -1},   {0x23, -1},   {0x24, 0},    {0x25, -1},   {0x26, -1},
    {0x2C, -1},   {0x2E, -1},   {0x32, -1},   {0xBE, -1},   {0x33, -1},   {0x36, -1},   {0x38, -1},   {0x39, 0},
    {0x3A, -1},   {0x60, -1},   {0x61, -1},   {0x64, -1},   {0x65, 0},    {0x69, 0},    {0x6A, -1},   {0x6D, -1},
    {0x70, -1},   {0x71, -1},   {0x72, -1},   {0x73, -1},   {0x74, -1},   {0x75, -1},   {0x76, -1},   {0x77, -1},
    {0x78, -1},   {0x79, -1},   {0x7C, -1},   {0x84, 0},    {0x85, 0},    {0x86, -1},   {0x89, -1},   {0xAD, -1},
    {0xAE, -1},   {0xAF, -1},   {0xB8, 0x00}, {0xB8, 0x01}, {0xB8, 0x02}, {0xB8, 0x10}, {0xB8, 0x20}, {0xB1, 0x00},
    {0xB1, 0x01}, {0xBA, -1},   {0xBD, 0x00},
};
static_assert(std::size(kLocalReads) == 86 - 28 + 1);

// Write rows 95..173: local identifier, parameter or block byte (-1: none), data byte count.
struct LocalWrite {
    uint8_t id;
    int param;
    uint8_t dataCount;
};
constexpr LocalWrite kLocalWrites[] = {
    {0x12, -1, 5},    {0x14, -1, 3},    {0x15, -1, 5},    {0x17, -1, 15},   {0x1A, 0, 16},    {0x1C, -1, 12},
    {0x1D, -1, 8},    {0x1E, 0x00, 5},  {0x1E, 0x01, 5},  {0x1F, 0x02, 6},  {0x20, -1, 8},    {0xC1, -1, 8},
    {0x23, -1, 3},    {0x24, 0, 64},    {0x25, -1, 5},    {0x26, -1, 6},    {0x2C, -1, 6},    {0x2E, -1, 10},
    {0x32, -1, 5},    {0xBE, -1, 12},   {0x33, -1, 10},   {0x36, -1, 2},    {0x38, -1, 9},    {0x39, 0, 16},
    {0x3A, -1, 16},   {0x40, -1, 10},   {0x41, -1, 10},   {0x42, -1, 10},   {0x43, -1, 10},   {0x44, -1, 10},
    {0x45, -1, 10},   {0x46, -1, 10},   {0x47, -1, 10},   {0x48, -1, 10},   {0x49, -1, 10},   {0x4A, -1, 10},
    {0x4B, -1, 10},   {0x4C, -1, 11},   {0x4D, -1, 18},   {0x4E, -1, 4},    {0x4F, -1, 31},   {0x65, 0, 16},
    {0x69, 0, 16},    {0x6A, -1, 11},   {0x6D, -1, 2},    {0x70, -1, 4},    {0x71, -1, 4},    {0x72, -1, 4},
    {0x73, -1, 4},    {0x74, -1, 4},    {0x75, -1, 4},    {0x76, -1, 4},    {0x77, -1, 4},    {0x78, -1, 4},
    {0x79, -1, 16},   {0x7C, -1, 41},   {0x84, 0, 16},    {0x85, 0, 16},    {0x86, -1, 9},    {0x88, -1, 30},
    {0x89, -1, 5},    {0x8A, -1, 8},    {0x90, -1, 17},   {0x91, -1, 13},   {0x92, -1, 4},    {0x94, -1, 4},
    {0x99, -1, 6},    {0xAD, -1, 9},    {0xAE, -1, 6},    {0xAF, -1, 9},    {0xB8, 0x00, 20}, {0xB8, 0x01, 20},
    {0xB8, 0x02, 20}, {0xB8, 0x10, 20}, {0xB8, 0x20, 20}, {0xB1, 0x00, 16}, {0xB1, 0x01, 3},  {0xBA, -1, 11},
    {0xBD, 0x00, 4},
};
static_assert(std::size(kLocalWrites) == 173 - 95 + 1);

constexpr uint8_t kIdentificationOptions[] = {0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B,
                                              0x4C, 0x4D, 0x4E, 0x4F, 0x88, 0x8A, 0x90, 0x91, 0x92, 0x94, 0x99};
static_assert(std::size(kIdentificationOptions) == 26 - 4 + 1);

constexpr RequestRows BuildRequestTable() {
    RequestRows t{};
    for (int i = 0; i < kRequestRowCount; ++i) t[i].index = static_cast<uint32_t>(i);

    Put(t[Row::InterfaceVersion], {0x02, kAdapterVersionRequest});
    Put(t[Row::StartSession84], {0x03, Sid::StartSession, 0x84});
    Put(t[Row::StartSession85], {0x03, Sid::StartSession, 0x85});
    Put(t[Row::EcuReset], {0x03, Sid::EcuReset, 0x01});
    for (int i = 0; i < 23; ++i)
        Put(t[Row::ReadIdent40 + i], {0x03, Sid::ReadIdentification, kIdentificationOptions[i]});
    Put(t[Row::StopSession], {0x02, Sid::StopSession});
    for (int i = 0; i < 59; ++i) {
        const LocalRead& r = kLocalReads[i];
        if (r.param < 0)
            Put(t[Row::ReadLocal12 + i], {0x03, Sid::ReadLocalData, r.id});
        else
            Put(t[Row::ReadLocal12 + i], {0x04, Sid::ReadLocalData, r.id, static_cast<uint8_t>(r.param)});
    }
    Put(t[Row::SeedLevel5], {0x03, Sid::SecurityAccess, 0x05});
    Put(t[Row::SeedLevel7], {0x03, Sid::SecurityAccess, 0x07});
    Put(t[Row::KeyLevel5], {0x05, Sid::SecurityAccess, 0x06, 0x00, 0x00});
    Put(t[Row::KeyLevel7], {0x05, Sid::SecurityAccess, 0x08, 0x00, 0x00});
    Put(t[Row::Routine09], {0x03, Sid::StartRoutine, 0x09});
    Put(t[Row::Routine04], {0x03, Sid::StartRoutine, 0x04});
    Put(t[Row::Routine06], {0x03, Sid::StartRoutine, 0x06});
    Put(t[Row::Routine0F], {0x03, Sid::StartRoutine, 0x0F});
    for (int i = 0; i < 79; ++i) {
        const LocalWrite& w = kLocalWrites[i];
        RequestEntry& row = t[Row::FirstWrite + i];
        if (w.param < 0) {
            Put(row, {static_cast<uint8_t>(3 + w.dataCount), Sid::WriteLocalData, w.id});
        } else {
            Put(row, {static_cast<uint8_t>(4 + w.dataCount), Sid::WriteLocalData, w.id, static_cast<uint8_t>(w.param)});
        }
    }
    // The memory write's row stays empty: the flash tag replaces its body when it is sent.
    Put(t[Row::Routine10], {0x03, Sid::StartRoutine, 0x10});
    Put(t[Row::Routine0D], {0x03, Sid::StartRoutine, 0x0D});
    Put(t[Row::ClearDiagnostics], {0x04, Sid::ClearDiagnostics, 0x00, 0x00});
    Put(t[Row::BaseChecksum], {0x04, Sid::ReadLocalData, LocalId::Checksum, 0x00});
    Put(t[Row::UpperChecksum], {0x04, Sid::ReadLocalData, LocalId::Checksum, 0x01});
    Put(t[Row::ModelCode], {0x03, Sid::ReadLocalData, LocalId::ModelCode});
    Put(t[Row::Routine19], {0x05, Sid::StartRoutine, 0x19, 0x00, 0x00});
    // The rows after it are reserved and stay empty.
    return t;
}

}  // namespace

const RequestRows RequestTable = BuildRequestTable();

uint8_t ServiceOfRow(int row) {
    if (row == Row::WriteMemory) return Sid::WriteMemory;
    return row >= 0 && row < kRequestRowCount ? RequestTable[static_cast<std::size_t>(row)].body[1] : 0;
}

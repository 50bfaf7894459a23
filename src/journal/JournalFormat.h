#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ecu/EcuDataSnapshot.h"
#include "ecu/EcuIdentity.h"
#include "journal/JournalTime.h"

// How far a run got. Only a run whose programming started can have left the ECU without its
// records, and only until its write-back has finished.
enum class JournalProgress : uint8_t {
    Saved = 0,               // written at "Proceed ->": nothing erased
    ProgrammingStarted = 1,  // written before the programming session is asked for
    WriteBackFinished = 2,
    Finished = 3,    // the run ended with "Finished OK"; kept as a backup
    Superseded = 4,  // a later run holds these records, or the ECU holds them again
};

const char* ProgressName(JournalProgress progress);

// Which ECU, which run, how far it got.
struct JournalHeader {
    JournalProgress progress = JournalProgress::Saved;
    std::array<uint8_t, 17> vin{};
    std::array<uint8_t, 4> hardwareSerial{};
    int32_t modelCode = 0;
    int32_t variant = 0;
    std::string softwareDate, softwareTime, softwareVersion;  // as the ECU reported them
    int32_t imageIndex = 0;
    JournalTime startedAt{};  // UTC
    // Read from a journal of the first format, whose "saved" cannot be trusted: that version
    // marked programming only on the ECU's answer, so its run may have erased the ECU.
    bool firstFormat = false;

    EcuIdentity Identity() const { return {vin, hardwareSerial}; }
};

// True while the journal holds data the ECU may have lost: its run started programming and its
// write-back had not finished (or, of the first format, it cannot tell).
bool NeedsRestore(const JournalHeader& header);

// Everything a later run needs to put the ECU's own data back, and to tell which ECU it was.
struct JournalEntry {
    JournalHeader header;
    EcuDataSnapshot snapshot{};
    std::array<int32_t, kSavedMarkCount> savedMarks{};
    // A run that writes back an earlier run's data also keeps what it read from the ECU itself,
    // so that a wrong choice can still be undone.
    bool hasRecordsReadAtStart = false;
    EcuDataSnapshot recordsReadAtStart{};
    std::array<int32_t, kSavedMarkCount> marksReadAtStart{};
};

inline constexpr std::size_t kMaxSoftwareText = 31;
// Far above an encoded journal; a larger file is not one of ours.
inline constexpr std::size_t kMaxJournalFileSize = 64 * 1024;

enum class JournalDecodeResult { Ok, NotAJournal, UnknownFormat, NewerFormat, ChecksumMismatch, Malformed };

const char* DecodeProblemText(JournalDecodeResult result);

// Texts longer than kMaxSoftwareText are cut.
std::vector<uint8_t> EncodeJournal(const JournalEntry& entry);
// Safe on any bytes; `out` is complete only when the result is Ok.
JournalDecodeResult DecodeJournal(std::span<const uint8_t> bytes, JournalEntry& out);

// Names the snapshot's layout (every record's place, width and blocks): a journal written with
// another layout is not read as this one, even where the sizes agree.
uint32_t SnapshotLayoutId();

// CRC-32 (IEEE 802.3, reflected, as zip and PNG use it).
uint32_t Crc32(std::span<const uint8_t> bytes);

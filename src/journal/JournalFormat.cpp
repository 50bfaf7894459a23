#include "journal/JournalFormat.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "ecu/SnapshotRecords.h"

// Layout, all numbers little-endian:
//   magic line, u16 format version,
//   u8 progress, VIN (17), hardware serial (4), i32 model code, i32 variant, i32 image index,
//   software date, time and version (each u8 length + characters),
//   start time in UTC (u16 year, u8 month, day, hour, minute, second),
//   u32 snapshot layout id, u32 snapshot size + snapshot bytes, u16 mark count + one byte (0 or 1)
//   per saved mark,
//   u8 1 when the records read at the run's start follow (snapshot bytes and marks as above), else 0,
//   u32 CRC-32 of everything before it.
// Format 1, written by earlier versions, has no layout id, its start time is local time, and no
// records read at the start follow the marks.

namespace {

constexpr std::string_view kMagic = "FLASH UPDATER JOURNAL\n";
constexpr uint16_t kFormatVersion = 2;
constexpr uint16_t kFirstFormatVersion = 1;

static_assert(std::is_trivially_copyable_v<EcuDataSnapshot> && alignof(EcuDataSnapshot) == 1,
              "the snapshot is stored as its bytes");

class Writer {
public:
    void Bytes(std::span<const uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view text) {
        const std::size_t length = std::min(text.size(), kMaxSoftwareText);
        U8(static_cast<uint8_t>(length));
        Bytes({reinterpret_cast<const uint8_t*>(text.data()), length});
    }
    void U8(uint8_t value) { out_.push_back(value); }
    void U16(uint16_t value) { Little(value, 2); }
    void U32(uint32_t value) { Little(value, 4); }
    std::vector<uint8_t> Take() { return std::move(out_); }
    std::span<const uint8_t> Written() const { return out_; }

private:
    void Little(uint32_t value, int count) {
        for (int i = 0; i < count; ++i) out_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    std::vector<uint8_t> out_;
};

// Every read checks the room left; after the first failure all reads fail.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool Bytes(std::span<uint8_t> out) {
        if (!ok_ || bytes_.size() - at_ < out.size()) return ok_ = false;
        std::memcpy(out.data(), bytes_.data() + at_, out.size());
        at_ += out.size();
        return true;
    }
    bool Text(std::string& out) {
        uint8_t length = 0;
        if (!U8(length) || length > kMaxSoftwareText || bytes_.size() - at_ < length) return ok_ = false;
        out.assign(reinterpret_cast<const char*>(bytes_.data() + at_), length);
        at_ += length;
        return true;
    }
    bool U8(uint8_t& out) { return Bytes({&out, 1}); }
    bool U16(uint16_t& out) {
        std::array<uint8_t, 2> b{};
        if (!Bytes(b)) return false;
        out = static_cast<uint16_t>(b[0] | b[1] << 8);
        return true;
    }
    bool U32(uint32_t& out) {
        std::array<uint8_t, 4> b{};
        if (!Bytes(b)) return false;
        out = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return true;
    }
    bool I32(int32_t& out) {
        uint32_t value = 0;
        if (!U32(value)) return false;
        out = static_cast<int32_t>(value);
        return true;
    }
    bool AtEnd() const { return ok_ && at_ == bytes_.size(); }

private:
    std::span<const uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

std::span<uint8_t> BytesOf(EcuDataSnapshot& snapshot) {
    return {reinterpret_cast<uint8_t*>(&snapshot), sizeof snapshot};
}

using SavedMarks = std::array<int32_t, kSavedMarkCount>;

bool ReadMarks(Reader& in, SavedMarks& marks) {
    for (int32_t& mark : marks) {
        uint8_t value = 0;
        if (!in.U8(value) || value > 1) return false;
        mark = value;
    }
    return true;
}

void WriteMarks(Writer& out, const SavedMarks& marks) {
    for (int32_t mark : marks) out.U8(mark != 0 ? 1 : 0);
}

std::span<const uint8_t> BytesOf(const EcuDataSnapshot& snapshot) {
    return {reinterpret_cast<const uint8_t*>(&snapshot), sizeof snapshot};
}

bool ReadBody(Reader& in, uint16_t version, JournalEntry& entry) {
    JournalHeader& out = entry.header;
    uint8_t progress = 0;
    if (!in.U8(progress) || progress > static_cast<uint8_t>(JournalProgress::Superseded)) return false;
    out.progress = static_cast<JournalProgress>(progress);
    in.Bytes(out.vin);
    in.Bytes(out.hardwareSerial);
    in.I32(out.modelCode);
    in.I32(out.variant);
    in.I32(out.imageIndex);
    in.Text(out.softwareDate);
    in.Text(out.softwareTime);
    in.Text(out.softwareVersion);
    JournalTime& t = out.startedAt;
    in.U16(t.year);
    for (uint8_t* field : {&t.month, &t.day, &t.hour, &t.minute, &t.second}) in.U8(*field);
    uint32_t layout = SnapshotLayoutId();
    if (version != kFirstFormatVersion && !in.U32(layout)) return false;
    uint32_t snapshotSize = 0;
    if (layout != SnapshotLayoutId() || !in.U32(snapshotSize) || snapshotSize != sizeof(EcuDataSnapshot)) return false;
    uint16_t markCount = 0;
    if (!in.Bytes(BytesOf(entry.snapshot)) || !in.U16(markCount) || markCount != kSavedMarkCount ||
        !ReadMarks(in, entry.savedMarks))
        return false;
    entry.hasRecordsReadAtStart = false;
    out.firstFormat = version == kFirstFormatVersion;
    if (version == kFirstFormatVersion) {
        // Its time was the local time of the machine that wrote it.
        std::tm local{};
        local.tm_year = t.year - 1900;
        local.tm_mon = t.month - 1;
        local.tm_mday = t.day;
        local.tm_hour = t.hour;
        local.tm_min = t.minute;
        local.tm_sec = t.second;
        if (const std::optional<JournalTime> utc = JournalTimeFromLocal(local)) t = *utc;
        return in.AtEnd();
    }
    uint8_t readAtStart = 0;
    if (!in.U8(readAtStart) || readAtStart > 1) return false;
    entry.hasRecordsReadAtStart = readAtStart == 1;
    if (entry.hasRecordsReadAtStart &&
        !(in.Bytes(BytesOf(entry.recordsReadAtStart)) && ReadMarks(in, entry.marksReadAtStart)))
        return false;
    return in.AtEnd();
}

}  // namespace

bool NeedsRestore(const JournalHeader& header) {
    return header.progress == JournalProgress::ProgrammingStarted ||
           (header.firstFormat && header.progress == JournalProgress::Saved);
}

const char* ProgressName(JournalProgress progress) {
    switch (progress) {
    case JournalProgress::Saved: return "saved, programming not started";
    case JournalProgress::ProgrammingStarted: return "programming started";
    case JournalProgress::WriteBackFinished: return "write-back finished";
    case JournalProgress::Finished: return "finished";
    case JournalProgress::Superseded: return "superseded";
    }
    return "unknown";
}

const char* DecodeProblemText(JournalDecodeResult result) {
    switch (result) {
    case JournalDecodeResult::Ok: return "";
    case JournalDecodeResult::NotAJournal: return "not a journal of this program";
    case JournalDecodeResult::UnknownFormat: return "a journal format this program does not know";
    case JournalDecodeResult::NewerFormat: return "a journal of a newer version of this program";
    case JournalDecodeResult::ChecksumMismatch: return "its checksum does not match: the file is damaged";
    case JournalDecodeResult::Malformed: return "its content is not complete or not valid";
    }
    return "";
}

std::vector<uint8_t> EncodeJournal(const JournalEntry& entry) {
    const JournalHeader& header = entry.header;
    Writer out;
    out.Bytes({reinterpret_cast<const uint8_t*>(kMagic.data()), kMagic.size()});
    out.U16(kFormatVersion);
    out.U8(static_cast<uint8_t>(header.progress));
    out.Bytes(header.vin);
    out.Bytes(header.hardwareSerial);
    out.U32(static_cast<uint32_t>(header.modelCode));
    out.U32(static_cast<uint32_t>(header.variant));
    out.U32(static_cast<uint32_t>(header.imageIndex));
    out.Text(header.softwareDate);
    out.Text(header.softwareTime);
    out.Text(header.softwareVersion);
    const JournalTime& t = header.startedAt;
    out.U16(t.year);
    for (uint8_t field : {t.month, t.day, t.hour, t.minute, t.second}) out.U8(field);
    out.U32(SnapshotLayoutId());
    out.U32(sizeof(EcuDataSnapshot));
    out.Bytes(BytesOf(entry.snapshot));
    out.U16(kSavedMarkCount);
    WriteMarks(out, entry.savedMarks);
    out.U8(entry.hasRecordsReadAtStart ? 1 : 0);
    if (entry.hasRecordsReadAtStart) {
        out.Bytes(BytesOf(entry.recordsReadAtStart));
        WriteMarks(out, entry.marksReadAtStart);
    }
    out.U32(Crc32(out.Written()));
    return out.Take();
}

JournalDecodeResult DecodeJournal(std::span<const uint8_t> bytes, JournalEntry& out) {
    const std::size_t headerSize = kMagic.size() + 2;
    if (bytes.size() < kMagic.size() || std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0)
        return JournalDecodeResult::NotAJournal;
    if (bytes.size() < headerSize) return JournalDecodeResult::UnknownFormat;
    const uint16_t version = static_cast<uint16_t>(bytes[kMagic.size()] | bytes[kMagic.size() + 1] << 8);
    if (version > kFormatVersion) return JournalDecodeResult::NewerFormat;
    if (version < kFirstFormatVersion) return JournalDecodeResult::UnknownFormat;
    if (bytes.size() < headerSize + 4) return JournalDecodeResult::Malformed;

    const std::span<const uint8_t> covered = bytes.first(bytes.size() - 4);
    uint32_t stored = 0;
    Reader(bytes.last(4)).U32(stored);
    if (Crc32(covered) != stored) return JournalDecodeResult::ChecksumMismatch;

    Reader body(covered.subspan(headerSize));
    return ReadBody(body, version, out) ? JournalDecodeResult::Ok : JournalDecodeResult::Malformed;
}

uint32_t SnapshotLayoutId() {
    static const uint32_t id = [] {
        Writer layout;
        layout.U32(sizeof(EcuDataSnapshot));
        layout.U32(kSavedMarkCount);
        for (const SnapshotRecord& r : SnapshotRecords()) {
            for (std::size_t value : {std::size_t(r.readRow), std::size_t(r.writeRow), r.fieldOffset, r.fieldSize,
                                      std::size_t{r.width}, std::size_t{r.blockCount}, std::size_t(r.markIndex + 1)})
                layout.U32(static_cast<uint32_t>(value));
        }
        return Crc32(layout.Written());
    }();
    return id;
}

uint32_t Crc32(std::span<const uint8_t> bytes) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

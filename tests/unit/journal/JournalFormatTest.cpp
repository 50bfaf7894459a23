#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "JournalSamples.h"
#include "journal/JournalFormat.h"

namespace {

// Rewrites the trailing checksum so that a deliberate change of content is seen as valid bytes.

JournalDecodeResult Decode(const std::vector<uint8_t>& bytes) {
    auto out = std::make_unique<JournalEntry>();
    return DecodeJournal(bytes, *out);
}

constexpr std::size_t kProgressAt = kMagicSize + 2;

TEST(JournalFormat, Crc32CheckValue) {
    const std::string text = "123456789";
    EXPECT_EQ(Crc32({reinterpret_cast<const uint8_t*>(text.data()), text.size()}), 0xCBF43926u);
}

TEST(JournalFormat, EveryFieldSurvivesTheRoundTrip) {
    for (bool readAtStart : {false, true}) {
        const auto entry = SampleEntry();
        if (readAtStart) {
            entry->hasRecordsReadAtStart = true;
            std::memset(&entry->recordsReadAtStart, 0x5A, sizeof entry->recordsReadAtStart);
            entry->marksReadAtStart[7] = 1;
        }
        const std::vector<uint8_t> bytes = EncodeJournal(*entry);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + kMagicSize), "FLASH UPDATER JOURNAL\n");

        auto out = std::make_unique<JournalEntry>();
        ASSERT_EQ(DecodeJournal(bytes, *out), JournalDecodeResult::Ok);
        const JournalHeader& a = entry->header;
        const JournalHeader& b = out->header;
        EXPECT_EQ(b.progress, a.progress);
        EXPECT_EQ(b.vin, a.vin);
        EXPECT_EQ(b.hardwareSerial, a.hardwareSerial);
        EXPECT_EQ(b.modelCode, a.modelCode);
        EXPECT_EQ(b.variant, a.variant);
        EXPECT_EQ(b.softwareDate, a.softwareDate);
        EXPECT_EQ(b.softwareTime, a.softwareTime);
        EXPECT_EQ(b.softwareVersion, a.softwareVersion);
        EXPECT_EQ(b.imageIndex, a.imageIndex);
        EXPECT_TRUE(b.startedAt == a.startedAt);
        EXPECT_EQ(std::memcmp(&out->snapshot, &entry->snapshot, sizeof entry->snapshot), 0);
        EXPECT_EQ(out->savedMarks, entry->savedMarks);
        EXPECT_EQ(out->hasRecordsReadAtStart, readAtStart);
        if (readAtStart) {
            EXPECT_EQ(std::memcmp(&out->recordsReadAtStart, &entry->recordsReadAtStart, sizeof entry->snapshot), 0);
            EXPECT_EQ(out->marksReadAtStart, entry->marksReadAtStart);
        }
    }
}

// Written by the previous version: no layout id, its time local, nothing after the marks.
TEST(JournalFormat, AJournalOfTheFirstFormatIsReadWithItsTimeTakenAsLocal) {
    const std::vector<uint8_t> bytes = FirstFormatBytes(*SampleEntry());

    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    setenv("TZ", "CET-2", 1);  // two hours east of UTC, no daylight saving
    tzset();
    auto out = std::make_unique<JournalEntry>();
    const JournalDecodeResult result = DecodeJournal(bytes, *out);
    if (zone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();

    ASSERT_EQ(result, JournalDecodeResult::Ok);
    const JournalTime& t = out->header.startedAt;  // 13:06:03 local
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
              std::vector<int>({2026, 12, 10, 11, 6, 3}));
    EXPECT_EQ(std::memcmp(&out->snapshot, &SampleEntry()->snapshot, sizeof out->snapshot), 0);
    EXPECT_FALSE(out->hasRecordsReadAtStart);
    EXPECT_TRUE(out->header.firstFormat) << "its progress is not to be trusted";
    ASSERT_EQ(DecodeJournal(EncodeJournal(*out), *out), JournalDecodeResult::Ok);
    EXPECT_FALSE(out->header.firstFormat);
}

TEST(JournalFormat, OverlongTextsAreCut) {
    auto entry = SampleEntry();
    entry->header.softwareDate = std::string(200, 'd');
    auto out = std::make_unique<JournalEntry>();
    ASSERT_EQ(DecodeJournal(EncodeJournal(*entry), *out), JournalDecodeResult::Ok);
    EXPECT_EQ(out->header.softwareDate, std::string(kMaxSoftwareText, 'd'));
}

TEST(JournalFormat, DamageIsNeverTakenForAJournal) {
    const std::vector<uint8_t> good = EncodeJournal(*SampleEntry());

    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_NE(Decode({good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)}), JournalDecodeResult::Ok)
            << size;

    for (std::size_t at = kProgressAt; at < good.size(); at += 97) {
        std::vector<uint8_t> bytes = good;
        bytes[at] ^= 0x10;
        EXPECT_EQ(Decode(bytes), JournalDecodeResult::ChecksumMismatch) << at;
    }

    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_EQ(Decode(longer), JournalDecodeResult::ChecksumMismatch);
}

TEST(JournalFormat, HeaderTellsForeignFilesAndOtherFormats) {
    const std::vector<uint8_t> good = EncodeJournal(*SampleEntry());
    std::vector<uint8_t> foreign = good;
    foreign[0] = 'f';
    EXPECT_EQ(Decode(foreign), JournalDecodeResult::NotAJournal);
    EXPECT_EQ(Decode({}), JournalDecodeResult::NotAJournal);

    std::vector<uint8_t> newer = good;
    newer[kMagicSize] = 3;
    Reseal(newer);
    EXPECT_EQ(Decode(newer), JournalDecodeResult::NewerFormat);
    std::vector<uint8_t> none = good;
    none[kMagicSize] = 0;
    Reseal(none);
    EXPECT_EQ(Decode(none), JournalDecodeResult::UnknownFormat);
}

// Sealed with a correct checksum, yet not what this program writes.
TEST(JournalFormat, InvalidContentUnderAValidChecksumIsRefused) {
    const std::vector<uint8_t> good = EncodeJournal(*SampleEntry());
    const std::size_t dateLengthAt = kProgressAt + 1 + 17 + 4 + 12;
    const std::size_t marksAt = good.size() - 4 - 1 - kSavedMarkCount;
    const struct {
        const char* what;
        std::size_t at;
        uint8_t value;
    } edits[] = {
        {"unknown progress", kProgressAt, 5},
        {"text longer than its field", dateLengthAt, kMaxSoftwareText + 1},
        {"snapshot of another size", marksAt - 2 - sizeof(EcuDataSnapshot) - 4, 0x01},
        {"other mark count", marksAt - 2, 0x4F},
        {"mark neither 0 nor 1", marksAt + 3, 2},
        {"another snapshot layout", marksAt - 2 - sizeof(EcuDataSnapshot) - 4 - 4, 0x00},
        {"records read at the start neither there nor not", good.size() - 5, 2},
    };
    for (const auto& edit : edits) {
        std::vector<uint8_t> bytes = good;
        bytes[edit.at] = edit.value;
        Reseal(bytes);
        EXPECT_EQ(Decode(bytes), JournalDecodeResult::Malformed) << edit.what;
    }
    std::vector<uint8_t> trailing = good;
    trailing.insert(trailing.end() - 4, 0);
    Reseal(trailing);
    EXPECT_EQ(Decode(trailing), JournalDecodeResult::Malformed);
}

}  // namespace

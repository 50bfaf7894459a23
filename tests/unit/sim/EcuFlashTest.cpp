// Write memory by address: erase on the first write per area and session, cells only go 1 -> 0,
// the checksum over the area as it stands, and the records going with the base area.
#include <gtest/gtest.h>

#include "EcuFixture.h"
#include "firmware/Crc16CcittFalse.h"

namespace {

Bytes Tag(uint32_t address, uint8_t fill) {
    Bytes r{0x3D, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address), 0xC0};
    r.resize(r.size() + 192, fill);
    return r;
}

Bytes Echo(uint32_t address) {
    return {0x7D, static_cast<uint8_t>(address >> 16), static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address)};
}

uint16_t CrcOf(const sim::Ecu& ecu, sim::FlashArea area) {
    const auto range = ecu.Flash().Range(area);
    return Crc16CcittFalse(ecu.Flash().Bytes().data() + range.begin, range.end - range.begin);
}

TEST(EcuFlash, FirstWriteOfEachAreaErasesItAndAnswersPendingFirst) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    for (uint32_t address : {0x000000u, 0x020000u}) {
        const sim::EcuAnswer first = f.ecu->Handle(Tag(address, 0x11));
        EXPECT_EQ(first.now, (Bytes{0x7F, 0x3D, 0x78}));
        EXPECT_EQ(first.later, Echo(address));
        EXPECT_EQ(first.busyMs, f.options.eraseMs);
        const sim::EcuAnswer second = f.ecu->Handle(Tag(address + 0xC0, 0x22));
        EXPECT_EQ(second.now, Echo(address + 0xC0));
        EXPECT_TRUE(second.later.empty());
    }
    // Everything outside the two written tags of each area is erased.
    const auto cells = f.ecu->Flash().Bytes();
    EXPECT_EQ(cells[0x000000], 0x11);
    EXPECT_EQ(cells[0x0000C0], 0x22);
    EXPECT_EQ(cells[0x000180], 0xFF);
    EXPECT_EQ(cells[0x01FFFF], 0xFF);
    EXPECT_EQ(cells[0x020180], 0xFF);
    EXPECT_EQ(cells[0x03FFFF], 0xFF);
}

TEST(EcuFlash, CellsOnlyGoFromOneToZeroUntilTheNextSessionErases) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    f.ecu->Handle(Tag(0x020000, 0x0F));
    f.ecu->Handle(Tag(0x020000, 0xF3));
    EXPECT_EQ(f.ecu->Flash().Bytes()[0x020000], 0x03);

    // A new programming session erases again on its first write.
    ASSERT_EQ(f.Do({0x10, 0x85}), (Bytes{0x50, 0x85}));
    EXPECT_EQ(f.ecu->Handle(Tag(0x020000, 0xF0)).now, (Bytes{0x7F, 0x3D, 0x78}));
    EXPECT_EQ(f.ecu->Flash().Bytes()[0x020000], 0xF0);
}

TEST(EcuFlash, ChecksumIsTheCrcOfTheAreaAsItStands) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    for (auto [area, parameter] : {std::pair{sim::FlashArea::Base, 0x00}, std::pair{sim::FlashArea::Upper, 0x01}}) {
        const uint16_t before = CrcOf(*f.ecu, area);
        EXPECT_EQ(f.Do({0x21, 0x83, static_cast<uint8_t>(parameter)}),
                  (Bytes{0x61, 0x83, static_cast<uint8_t>(before >> 8), static_cast<uint8_t>(before)}));
    }
    f.ecu->Handle(Tag(0x000100, 0x00));
    const uint16_t after = CrcOf(*f.ecu, sim::FlashArea::Base);
    // An erased base area with 192 zero bytes: not the CRC of the older firmware any more.
    Bytes expected(0x20000, 0xFF);
    std::fill_n(expected.begin() + 0x100, 192, 0x00);
    EXPECT_EQ(after, Crc16CcittFalse(expected.data(), expected.size()));
    EXPECT_EQ(f.Do({0x21, 0x83, 0x00}),
              (Bytes{0x61, 0x83, static_cast<uint8_t>(after >> 8), static_cast<uint8_t>(after)}));
}

TEST(EcuFlash, BaseEraseResetsRecordsButNotTheReadOnlyTailOf4C) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    const Bytes record12 = f.Do({0x21, 0x12});
    const Bytes option4C = f.Do({0x1A, 0x4C});
    ASSERT_EQ(option4C.size(), 19u);

    f.ecu->Handle(Tag(0x020000, 0x00));
    EXPECT_EQ(f.Do({0x21, 0x12}), record12) << "the upper area holds no records";

    f.ecu->Handle(Tag(0x000000, 0x00));
    // Every byte of a wiped record differs from what the ECU held, so no byte of a forgotten
    // restore can pass for a restored one.
    const Bytes wiped12 = f.Do({0x21, 0x12});
    ASSERT_EQ(wiped12.size(), record12.size());
    for (std::size_t i = 2; i < wiped12.size(); ++i) {
        EXPECT_NE(wiped12[i], record12[i]) << "21 12 byte " << i - 2;
        EXPECT_TRUE(wiped12[i] != 0x00 && wiped12[i] != 0xFF) << "factory values are not blank";
    }
    const Bytes wiped4C = f.Do({0x1A, 0x4C});
    for (std::size_t i = 2; i < 13; ++i) EXPECT_NE(wiped4C[i], option4C[i]) << "1A 4C byte " << i - 2;
    EXPECT_EQ(Bytes(wiped4C.begin() + 13, wiped4C.end()), Bytes(option4C.begin() + 13, option4C.end()));
    EXPECT_EQ(f.Do({0x21, 0x69, 0x00}), (Bytes{0x61, 0x69, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}))
        << "a factory history is empty";

    // A write of 4C carries 11 bytes and leaves the tail.
    Bytes write{0x3B, 0x4C};
    write.resize(13, 0x44);
    ASSERT_EQ(f.Do(write), (Bytes{0x7B, 0x4C}));
    const Bytes restored = f.Do({0x1A, 0x4C});
    EXPECT_EQ(Bytes(restored.begin() + 2, restored.begin() + 13), Bytes(11, 0x44));
    EXPECT_EQ(Bytes(restored.begin() + 13, restored.end()), Bytes(option4C.begin() + 13, option4C.end()));
}

TEST(EcuFlash, IdentificationReadsTheInfoBlockInFlash) {
    EcuFixture f;
    f.Enter(EcuState::Programming);
    Bytes tag = Tag(0x000100, 0xFF);
    const char info[] =
        "Sep 29 2011\0"
        "14:02:37\0"
        "477E\0";
    std::copy(info, info + sizeof info - 1, tag.begin() + 5);
    tag[5 + 0x1A] = 0x00;  // model code
    tag[5 + 0x1B] = 0x01;  // variant
    f.ecu->Handle(tag);
    EXPECT_EQ(f.Do({0x21, 0x60}), (Bytes{0x61, 0x60, 'S', 'e', 'p', ' ', '2', '9', ' ', '2', '0', '1', '1', 0}));
    EXPECT_EQ(f.Do({0x21, 0x61}), (Bytes{0x61, 0x61, '1', '4', ':', '0', '2', ':', '3', '7', 0}));
    EXPECT_EQ(f.Do({0x21, 0x64}), (Bytes{0x61, 0x64, '4', '7', '7', 'E', 0}));
    EXPECT_EQ(f.Do({0x21, 0xAC}), (Bytes{0x61, 0xAC, 0x00, 0x00, 0x01}));
}

}  // namespace

// The records an ECU in use holds, against what a base erase leaves: a run that forgets a record,
// or a byte of one, shows in the report; the program's read repairs and history search have work.
#include <gtest/gtest.h>

#include "link/Framing.h"
#include "sim/RecordStore.h"

namespace {

const sim::RecordLayout& Local(uint8_t id) {
    for (const auto& r : sim::RecordCatalogue())
        if (r.readService == 0x21 && r.id == id) return r;
    throw std::logic_error("no such record");
}

bool InGap(const sim::RecordLayout& r, std::size_t offset) {
    return r.addressing == sim::Addressing::Block && !sim::HasBlock(r, static_cast<uint8_t>(offset / r.width));
}

TEST(RecordStore, EveryByteInUseDiffersFromItsFactoryValue) {
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        sim::Prng prng(seed);
        const sim::RecordStore store(prng);
        for (const auto& r : sim::RecordCatalogue()) {
            if (r.readService == 0x21 && r.id == sim::kHistoryId) continue;
            SCOPED_TRACE(sim::RecordName(r) + " seed " + std::to_string(seed));
            const auto factory = sim::RecordStore::Factory(r);
            const auto now = store.Of(r);
            ASSERT_EQ(factory.size(), now.size());
            bool blank = true;
            for (std::size_t i = 0; i < now.size(); ++i) {
                if (InGap(r, i)) continue;
                EXPECT_NE(now[i], factory[i]) << "byte " << i;
                blank = blank && (factory[i] == 0x00 || factory[i] == 0xFF);
            }
            EXPECT_FALSE(blank) << "a factory value is not an erased one";
        }
    }
}

TEST(RecordStore, RecordsTheReadRepairsMend) {
    for (uint64_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        sim::Prng prng(seed);
        const sim::RecordStore store(prng);
        const auto r17 = store.Of(Local(0x17));
        EXPECT_EQ(r17[2] | r17[3] | r17[5], 0);
        EXPECT_TRUE(r17[0] && r17[1] && r17[4]) << "the bytes they are mended from are not zero";
        const auto r33 = store.Of(Local(0x33));
        EXPECT_NE(r33[4], 0xFF);
        EXPECT_NE(r33[6], 0xFF);
        EXPECT_NE(r33[9], ByteSum(r33.data(), 9));
    }
}

TEST(RecordStore, HistoryHoldsUsedAndFreeEntriesAndAnEraseEmptiesIt) {
    sim::Prng prng(3);
    sim::RecordStore store(prng);
    const auto history = store.Of(Local(sim::kHistoryId));
    std::string used;
    for (int e = 0; e < 10; ++e) used += history[e * 16] >= 0x01 && history[e * 16] <= 0x31 ? 'u' : '-';
    EXPECT_EQ(used, "uuuu------");
    store.ResetToFactory();
    const auto wiped = store.Of(Local(sim::kHistoryId));
    EXPECT_TRUE(std::all_of(wiped.begin(), wiped.end(), [](uint8_t b) { return b == 0; }));
}

}  // namespace

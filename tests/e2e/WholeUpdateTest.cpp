// Whole updates of every selectable image against the simulated adapter and ECU, in virtual time:
// what the operator sees, what reaches the wire, and what the ECU holds afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "UpdateRun.h"
#include "VirtualUpdateBench.h"
#include "app/Texts.h"
#include "images/ImageCatalogue.h"
#include "images/ImageResources.h"
#include "images/SRecordReader.h"

namespace {

struct SelectableImage {
    uint8_t modelCode, variant;
    int32_t imageIndex;
    const char* name;
};

class WholeUpdateOfEachImage : public ::testing::TestWithParam<SelectableImage> {};

std::tm March7th2026() {
    std::tm date{};
    date.tm_mday = 7;
    date.tm_mon = 2;
    date.tm_year = 126;
    return date;
}

uint32_t AddressOf(const SimulatedLine::WireFrame& frame) {
    return uint32_t{frame.bytes[2]} << 16 | uint32_t{frame.bytes[3]} << 8 | frame.bytes[4];
}

TEST_P(WholeUpdateOfEachImage, EndsFinishedOkWithTheImageInFlashAndTheConfigurationKept) {
    const SelectableImage& image = GetParam();
    VirtualUpdateBench run(EcuOfModel(image.modelCode, image.variant));
    run.bench.clock.SetLocalTime(March7th2026());
    run.Start();
    ASSERT_TRUE(run.RunToEnd()) << Listed(run.StatusTexts());
    const std::vector<std::string> texts = run.StatusTexts();
    ASSERT_EQ(texts.back(), Text::FinishedOk) << Listed(texts);

    EXPECT_TRUE(InOrder(texts, {"Connecting to Com Port  [  1  ]", "Connected to Com Port  [  1  ]",
                                Text::ReadingEcuData, std::string(Text::PreloadedWith) + image.name, Text::Erasing,
                                "Writing (Base) - 0%", "Writing (Base) - 50%", Text::ResettingEcu, Text::WritingEcuData,
                                "Writing (Upper) - 0%", "Writing (Upper) - 50%", Text::ResettingEcu, Text::FinishedOk}))
        << Listed(texts);
    EXPECT_EQ(run.dlg().imageIndex, image.imageIndex);

    // The flash holds the image, written whole, the end tag last.
    const ImageCatalogueEntry* entry = FindCatalogueEntry(image.imageIndex);
    ASSERT_NE(entry, nullptr);
    const std::vector<uint8_t> flash = run.simulator.FlashContents();
    ASSERT_EQ(flash.size(), entry->areaSize);
    std::vector<uint8_t> expected(entry->areaSize, 0xFF);
    const auto text = FindImageResource(entry->resourceId);
    ASSERT_TRUE(text.has_value());
    ASSERT_EQ(ParseSRecords(*text, expected).outcome, SRecordOutcome::CountMatched);
    EXPECT_TRUE(flash == expected) << "the flash differs from the image";
    const auto tags = run.FramesStartingWith({0x3D});
    ASSERT_FALSE(tags.empty());
    EXPECT_EQ(AddressOf(tags.back()), entry->endTagAddress);
    EXPECT_EQ(tags.size(), size_t(run.dlg().lastBaseTag + 1 + run.dlg().lastUpperTag + 1));

    // Both areas were checked by the ECU's checksum, and the ECU was reset twice.
    EXPECT_EQ(run.FramesStartingWith({0x21, 0x83, 0x00}).size(), 1u);
    EXPECT_EQ(run.FramesStartingWith({0x21, 0x83, 0x01}).size(), 1u);
    EXPECT_EQ(run.FramesStartingWith({0x11, 0x01}).size(), 2u);

    // Every record is as before the run, but for the repairs made on reading and the history.
    const sim::RunReport report = run.simulator.Report();
    std::vector<std::string> changed;
    for (const auto& record : report.changedRecords) changed.push_back(record.record);
    EXPECT_EQ(changed, (std::vector<std::string>{"21 17", "21 33", "21 69"}));
    EXPECT_TRUE(report.violations.empty()) << report.violations.front();

    // The history holds this run's entry: its date, the version now running, the user.
    const auto newEntry = std::find_if(report.history.begin(), report.history.end(),
                                       [](const auto& e) { return e.size() == 16 && e[0] == 0x07 && e[1] == 0x03; });
    ASSERT_NE(newEntry, report.history.end());
    EXPECT_EQ((*newEntry)[2], 0x26);
    EXPECT_EQ(std::string(newEntry->begin() + 3, newEntry->begin() + 7), report.version);
    EXPECT_EQ(std::string(newEntry->begin() + 7, newEntry->begin() + 15), std::string("tester\0\0", 8));
    EXPECT_EQ((*newEntry)[15], 0);

    // Written twice, ten blocks each time; the second time only the entry's version differs.
    const auto historyWrites = run.FramesStartingWith({0x3B, 0x69});
    ASSERT_EQ(historyWrites.size(), 20u);
    for (size_t block = 0; block < 10; ++block) {
        std::vector<uint8_t> first = historyWrites[block].bytes, second = historyWrites[10 + block].bytes;
        ASSERT_EQ(first.size(), second.size());
        for (size_t at = 4; at + 1 < first.size(); ++at) {
            const bool versionByte = at - 4 >= 3 && at - 4 <= 6;
            if (!versionByte) {
                EXPECT_EQ(first[at], second[at]) << "block " << block << " byte " << at - 4;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, WholeUpdateOfEachImage,
                         ::testing::Values(SelectableImage{0, 0, 1, "K410"}, SelectableImage{0, 1, 2, "K411"},
                                           SelectableImage{1, 0, 3, "K412"}, SelectableImage{2, 0, 4, "M530"},
                                           SelectableImage{17, 3, 5, "P640"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

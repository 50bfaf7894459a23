#include <gtest/gtest.h>

#include <string>

#include "FailingNothrowArrayNew.h"
#include "SRecordTexts.h"
#include "TestBench.h"
#include "app/ControlIds.h"
#include "app/Texts.h"

namespace {

// The loader on the dialog, with the texts it finds under resource ids given by each test.
class LoadFirmwareImageTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;
    std::string text;
    int lookups = 0;

    void SetUp() override {
        dlg.findImageResource = [this](int32_t id) -> std::optional<std::span<const uint8_t>> {
            ++lookups;
            if (id != 1011) return std::nullopt;
            return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        };
        // What an earlier load left behind.
        dlg.lastBaseTag = 7;
        dlg.lastUpperTag = 9;
        dlg.BaseContainer[0][0] = 0xAA;
        dlg.UpperContainer[0][0] = 0xBB;
    }

    void ExpectContainersUntouched() {
        EXPECT_EQ(dlg.lastBaseTag, 7);
        EXPECT_EQ(dlg.lastUpperTag, 9);
        EXPECT_EQ(dlg.BaseContainer[0][0], 0xAA);
        EXPECT_EQ(dlg.UpperContainer[0][0], 0xBB);
    }
    void ExpectNothingShown() {
        EXPECT_TRUE(host.StatusHistory().empty());
        EXPECT_TRUE(host.MessageBoxes().empty());
        EXPECT_TRUE(host.IsVisible(ControlId::BusyIndicator));
    }
};

TEST_F(LoadFirmwareImageTest, AnIndexWithoutAnImageFailsSilently) {
    for (int32_t index : {0, 6, 10, -1}) {
        EXPECT_FALSE(dlg.LoadFirmwareImage(index)) << index;
    }
    EXPECT_EQ(lookups, 0);
    ExpectContainersUntouched();
    ExpectNothingShown();
}

TEST_F(LoadFirmwareImageTest, AMissingOrOversizeTextFailsSilently) {
    EXPECT_FALSE(dlg.LoadFirmwareImage(2)) << "resource 1012 is not there";
    text = std::string(kSRecordTextSize + 1, 'S');
    EXPECT_FALSE(dlg.LoadFirmwareImage(1));
    EXPECT_EQ(dlg.SRecordText[0], 0) << "nothing is copied";
    ExpectContainersUntouched();
    ExpectNothingShown();
}

TEST_F(LoadFirmwareImageTest, ATextThatFillsTheWholeBufferLoads) {
    const std::string records = S3(0x100, {1, 2}) + S3(0x3FF00, {3});
    const std::string count = "S50500000002F8";  // the very last characters of the buffer
    text = records + std::string(kSRecordTextSize - records.size() - count.size(), '\n') + count;
    ASSERT_EQ(text.size(), kSRecordTextSize);
    EXPECT_TRUE(dlg.LoadFirmwareImage(1));
    EXPECT_EQ(dlg.lastBaseTag, 0);
    EXPECT_EQ(dlg.lastUpperTag, 0);
}

TEST_F(LoadFirmwareImageTest, AReaderErrorIsShownAndHidesTheBusyIndicator) {
    struct Case {
        std::string text;
        const char* status;
    };
    for (const Case& c : {Case{S3(0x3FFFF, {1, 2}) + S5(1), Text::AddressLimitExceeded},
                          Case{S3WithByteCount(0x100, 3, {}) + S5(1), Text::AddressLimitExceeded},
                          Case{S3(0x100, {1}) + S5(2), Text::IncorrectRecordCount},
                          Case{S3(0x100, {1}) + kS7, Text::UnverifiedRecordCount},
                          Case{S3(0x3FE00, {1}) + S5(1), Text::UpperContainerError}}) {
        text = c.text;
        host.ShowItem(ControlId::BusyIndicator, true);
        EXPECT_FALSE(dlg.LoadFirmwareImage(1)) << c.status;
        EXPECT_EQ(host.StatusText(), c.status);
        EXPECT_FALSE(host.IsVisible(ControlId::BusyIndicator)) << c.status;
        EXPECT_EQ(dlg.WorkingImage, nullptr) << c.status;
    }
    EXPECT_TRUE(host.MessageBoxes().empty());
}

TEST_F(LoadFirmwareImageTest, ATextWithoutCountOrTerminationFailsSilently) {
    text = S3(0x100, {1}) + "S";
    EXPECT_FALSE(dlg.LoadFirmwareImage(1));
    ExpectContainersUntouched();
    ExpectNothingShown();
}

TEST_F(LoadFirmwareImageTest, NoMemoryForTheWorkingImageShowsUnavailable) {
    text = S3(0x100, {1}) + S5(1);
    FailNothrowArrayNew(true);
    const bool loaded = dlg.LoadFirmwareImage(1);
    FailNothrowArrayNew(false);
    EXPECT_FALSE(loaded);
    ASSERT_EQ(host.MessageBoxes().size(), 1u);
    EXPECT_EQ(host.MessageBoxes()[0].text, "Unavailable");
    EXPECT_EQ(host.MessageBoxes()[0].caption, "") << "the application's name";
    EXPECT_TRUE(host.StatusHistory().empty());
    ExpectContainersUntouched();
}

}  // namespace

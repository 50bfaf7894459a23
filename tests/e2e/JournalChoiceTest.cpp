// Which journal a run uses, by who the ECU is and who the journal says it was, for every way the
// program can be run: offered, used or refused, and when refused nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "UpdateRun.h"
#include "Workshop.h"

namespace {

constexpr const char* kOtherVin = "VF1AB000123456789";

enum class JournalOf { TheEcu, AnotherEcu, UnknownEcu };
enum class Mode { AskedYes, AskedNo, Unattended, UnattendedResume, NoResume };
enum class Outcome { Used, NotUsed, Refused };

struct ChoiceCase {
    const char* name;
    bool ecuKnown;
    JournalOf journal;
    Mode mode;
    bool asked;
    Outcome outcome;
};

class JournalChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(JournalChoice, FollowsWhoTheEcuIs) {
    const ChoiceCase& c = GetParam();
    sim::SimOptions ecu = EcuOfModel(0, 0);
    if (!c.ecuKnown) SetStartVin(ecu, "");
    Workshop station(ecu);
    station.run.pressProceed = false;
    // The image chosen ("Proceed ->" waits for the operator), or the run ended.
    const auto readyOrEnded = [&] { return station.run.dlg().RunEnded() || station.run.dlg().imageIndex != 0; };

    // Who the ECU is, as the program reads it.
    station.StartProgram();
    ASSERT_TRUE(station.run.RunUntil(readyOrEnded, 10 * 60 * 1000));
    JournalHeader interrupted;
    interrupted.vin = station.run.dlg().ecuDataSnapshot.ident90;
    interrupted.hardwareSerial = station.run.dlg().ecuDataSnapshot.ident92;
    if (c.journal == JournalOf::AnotherEcu) std::memcpy(interrupted.vin.data(), kOtherVin, 17);
    if (c.journal == JournalOf::UnknownEcu) interrupted.vin.fill(0xFF);
    const std::string path = LeaveInterruptedJournal(station.storage, interrupted);

    JournalSettings settings;
    settings.unattended = c.mode == Mode::Unattended || c.mode == Mode::UnattendedResume || c.mode == Mode::NoResume;
    if (c.mode == Mode::UnattendedResume) settings.resumeFrom = path;
    settings.noResume = c.mode == Mode::NoResume;
    station.run.host().ScriptYesNoAnswer(c.mode == Mode::AskedYes ? MessageResult::Yes : MessageResult::No);
    const std::size_t boxesBefore = station.run.host().MessageBoxes().size();
    station.StartProgram(settings);
    ASSERT_TRUE(station.run.RunUntil(readyOrEnded, 10 * 60 * 1000));

    const auto boxes = station.run.host().MessageBoxes();
    const bool asked = std::any_of(boxes.begin() + static_cast<long>(boxesBefore), boxes.end(),
                                   [](const auto& box) { return IsQuestion(box.buttons); });
    EXPECT_EQ(asked, c.asked);
    switch (c.outcome) {
    case Outcome::Used:
        ASSERT_TRUE(station.run.dlg().restoreSource);
        EXPECT_EQ(station.run.dlg().restoreSource->path, path);
        EXPECT_FALSE(station.run.dlg().RunEnded());
        break;
    case Outcome::NotUsed:
        EXPECT_FALSE(station.run.dlg().restoreSource);
        EXPECT_FALSE(station.run.dlg().RunEnded()) << station.run.host().StatusText();
        break;
    case Outcome::Refused:
        EXPECT_FALSE(station.run.dlg().restoreSource);
        EXPECT_EQ(station.ExitCode(), 1);
        EXPECT_TRUE(station.run.dlg().RunEnded());
        EXPECT_EQ(station.FramesAfterTheStage0Read(), 0u);
        break;
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(, JournalChoice, ::testing::Values(
    ChoiceCase{"Same_AskedYes",                true,  JournalOf::TheEcu,     Mode::AskedYes,         true,  Outcome::Used},
    ChoiceCase{"Same_AskedNo",                 true,  JournalOf::TheEcu,     Mode::AskedNo,          true,  Outcome::NotUsed},
    ChoiceCase{"Same_Unattended",              true,  JournalOf::TheEcu,     Mode::Unattended,       false, Outcome::Used},
    ChoiceCase{"Same_Resume",                  true,  JournalOf::TheEcu,     Mode::UnattendedResume, false, Outcome::Used},
    ChoiceCase{"Same_NoResume",                true,  JournalOf::TheEcu,     Mode::NoResume,         false, Outcome::NotUsed},
    ChoiceCase{"OtherEcu_AskedYes",            true,  JournalOf::AnotherEcu, Mode::AskedYes,         false, Outcome::NotUsed},
    ChoiceCase{"OtherEcu_AskedNo",             true,  JournalOf::AnotherEcu, Mode::AskedNo,          false, Outcome::NotUsed},
    ChoiceCase{"OtherEcu_Unattended",          true,  JournalOf::AnotherEcu, Mode::Unattended,       false, Outcome::NotUsed},
    ChoiceCase{"OtherEcu_Resume",              true,  JournalOf::AnotherEcu, Mode::UnattendedResume, false, Outcome::Refused},
    ChoiceCase{"OtherEcu_NoResume",            true,  JournalOf::AnotherEcu, Mode::NoResume,         false, Outcome::NotUsed},
    ChoiceCase{"EcuUnknown_AskedYes",          false, JournalOf::AnotherEcu,    Mode::AskedYes,         true,  Outcome::Used},
    ChoiceCase{"EcuUnknown_AskedNo",           false, JournalOf::AnotherEcu, Mode::AskedNo,          true,  Outcome::NotUsed},
    ChoiceCase{"EcuUnknown_Unattended",        false, JournalOf::AnotherEcu, Mode::Unattended,       false, Outcome::Refused},
    ChoiceCase{"EcuUnknown_Resume",            false, JournalOf::AnotherEcu, Mode::UnattendedResume, false, Outcome::Used},
    ChoiceCase{"EcuUnknown_NoResume",          false, JournalOf::AnotherEcu, Mode::NoResume,         false, Outcome::NotUsed},
    ChoiceCase{"JournalUnknown_AskedYes",      true,  JournalOf::UnknownEcu, Mode::AskedYes,         false, Outcome::NotUsed},
    ChoiceCase{"JournalUnknown_AskedNo",       true,  JournalOf::UnknownEcu, Mode::AskedNo,          false, Outcome::NotUsed},
    ChoiceCase{"JournalUnknown_Unattended",    true,  JournalOf::UnknownEcu, Mode::Unattended,       false, Outcome::NotUsed},
    ChoiceCase{"JournalUnknown_Resume",        true,  JournalOf::UnknownEcu, Mode::UnattendedResume, false, Outcome::Refused},
    ChoiceCase{"JournalUnknown_NoResume",      true,  JournalOf::UnknownEcu, Mode::NoResume,         false, Outcome::NotUsed},
    ChoiceCase{"BothUnknown_AskedYes",         false, JournalOf::UnknownEcu, Mode::AskedYes,         true,  Outcome::Used},
    ChoiceCase{"BothUnknown_AskedNo",          false, JournalOf::UnknownEcu, Mode::AskedNo,          true,  Outcome::NotUsed},
    ChoiceCase{"BothUnknown_Unattended",       false, JournalOf::UnknownEcu, Mode::Unattended,       false, Outcome::Refused},
    ChoiceCase{"BothUnknown_Resume",           false, JournalOf::UnknownEcu, Mode::UnattendedResume, false, Outcome::Used},
    ChoiceCase{"BothUnknown_NoResume",         false, JournalOf::UnknownEcu, Mode::NoResume,         false, Outcome::NotUsed}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace

// The journal's part in a run as one table: what the ECU reads now, the journals found, the
// operator's options -> what the run does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "journal/ChooseJournal.h"

namespace {

using Action = JournalChoiceAction;
using Refusal = JournalRefusal;
using Indexes = std::vector<std::size_t>;

constexpr const char* kVin = "WVWZZZ1KZAW000123";
constexpr const char* kOtherVin = "VF1AB000123456789";
constexpr std::array<uint8_t, 4> kSerial{0x03, 0x12, 0xAB, 0x05};
constexpr std::array<uint8_t, 4> kWipedSerial{0x11, 0x22, 0x33, 0x44};
constexpr CalendarDay kJournalDay{2026, 12, 9};

std::array<uint8_t, 17> Vin(const char* text) {
    std::array<uint8_t, 17> vin{};
    vin.fill(0xFF);
    if (text) std::memcpy(vin.data(), text, 17);
    return vin;
}

// The ECUs of the table.
EcuReading Known(const char* vin = kVin) { return {{Vin(vin), kSerial}, InfoBlockState::Intact, 0, 0, {}}; }
EcuReading KnownProgrammedOn(CalendarDay day) {
    EcuReading ecu = Known();
    ecu.newestHistoryEntry = day;
    return ecu;
}
// An erase wiped the VIN and serial and left the info block erased.
EcuReading Blank() { return {{Vin(nullptr), kWipedSerial}, InfoBlockState::Erased, {}, {}, {}}; }
// Cut off after the base area's info block was written again: the model reads, the VIN does not.
EcuReading BlankOfModel(int32_t modelCode) {
    return {{Vin(nullptr), kWipedSerial}, InfoBlockState::Intact, modelCode, 0, {}};
}
EcuReading Damaged() { return {{Vin(nullptr), kWipedSerial}, InfoBlockState::Damaged, 0, {}, {}}; }

struct J {
    const char* vin = kVin;
    JournalProgress progress = JournalProgress::ProgrammingStarted;
    int32_t modelCode = 0;
    bool firstFormat = false;
    std::array<uint8_t, 4> serial = kSerial;
    bool inUse = false;  // held by another running update: only the VIN of its name is known
};

std::vector<JournalCandidate> Journals(std::initializer_list<J> journals) {
    std::vector<JournalCandidate> out;
    int n = 0;
    for (const J& j : journals) {
        JournalCandidate c;
        c.path = "j" + std::to_string(n++);
        c.header.vin = Vin(j.vin);
        c.header.hardwareSerial = j.serial;
        c.header.progress = j.progress;
        c.header.modelCode = j.modelCode;
        c.header.firstFormat = j.firstFormat;
        c.inUse = j.inUse;
        c.startedOn = kJournalDay;
        out.push_back(c);
    }
    return out;
}

constexpr JournalChoiceOptions kAsk{};
constexpr JournalChoiceOptions kYes{.unattended = true};
constexpr JournalChoiceOptions kResume{.unattended = true, .resume = true};
constexpr JournalChoiceOptions kAskResume{.resume = true};
constexpr JournalChoiceOptions kNoResume{.unattended = true, .noResume = true};

struct Row {
    const char* name;
    EcuReading ecu;
    std::vector<JournalCandidate> journals;
    JournalChoiceOptions options;
    Action action;
    Refusal refusal = Refusal::None;
    Indexes candidates = {};
    bool defaultYes = false;
    Indexes leftUnused = {};
    Indexes othersUnused = {};
};

TEST(ChooseJournal, OneDecisionForEveryEcuJournalAndOption) {
    using P = JournalProgress;
    const J own{};
    const J other{.vin = kOtherVin};
    const J blankRun{.vin = nullptr, .serial = kWipedSerial};  // a run on an ECU that read blank already
    const Row rows[] = {
        // The same known ECU: asked with Yes as the default; used by --yes.
        {"own, asked", Known(), Journals({own}), kAsk, Action::Ask, Refusal::None, {0}, true},
        {"own, --yes", Known(), Journals({own}), kYes, Action::Use, Refusal::None, {0}},
        {"own erased nothing", Known(), Journals({{.progress = P::Saved}}), kYes, Action::ProgramAsRead},
        {"own written back", Known(), Journals({{.progress = P::WriteBackFinished}}), kYes, Action::ProgramAsRead},
        {"own finished", Known(), Journals({{.progress = P::Finished}}), kAsk, Action::ProgramAsRead},
        {"own superseded", Known(), Journals({{.progress = P::Superseded}}), kYes, Action::ProgramAsRead},
        {"own first format saved",
         Known(),
         Journals({{.progress = P::Saved, .firstFormat = true}}),
         kYes,
         Action::Use,
         Refusal::None,
         {0}},
        {"own first format finished", Known(), Journals({{.progress = P::Finished, .firstFormat = true}}), kYes,
         Action::ProgramAsRead},
        {"own, another serial",
         Known(),
         Journals({{.serial = kWipedSerial}}),
         kYes,
         Action::ProgramAsRead,
         Refusal::None,
         {},
         false,
         {},
         {0}},
        // Another known ECU's: never offered; --yes names it.
        {"other, asked", Known(), Journals({other}), kAsk, Action::ProgramAsRead},
        {"other, --yes", Known(), Journals({other}), kYes, Action::ProgramAsRead, Refusal::None, {}, false, {}, {0}},
        {"other and own, --yes", Known(), Journals({other, own}), kYes, Action::Use, Refusal::None, {1}},
        {"other and own, asked", Known(), Journals({other, own}), kAsk, Action::Ask, Refusal::None, {1}, true},
        // Programmed since the journal's run (the history is newer): No by default, --yes names it.
        {"own, history newer, asked",
         KnownProgrammedOn({2026, 12, 10}),
         Journals({own}),
         kAsk,
         Action::Ask,
         Refusal::None,
         {0},
         false},
        {"own, history newer, --yes",
         KnownProgrammedOn({2026, 12, 10}),
         Journals({own}),
         kYes,
         Action::ProgramAsRead,
         Refusal::None,
         {},
         false,
         {0}},
        {"own, history the same day",
         KnownProgrammedOn(kJournalDay),
         Journals({own}),
         kYes,
         Action::Use,
         Refusal::None,
         {0}},
        {"own, history older",
         KnownProgrammedOn({2025, 1, 31}),
         Journals({own}),
         kYes,
         Action::Use,
         Refusal::None,
         {0}},
        {"own, history newer, --resume",
         KnownProgrammedOn({2026, 12, 10}),
         Journals({own}),
         kResume,
         Action::Use,
         Refusal::None,
         {0}},
        // Two of this ECU's: never by time.
        {"own twice, asked", Known(), Journals({own, own}), kAsk, Action::Pick, Refusal::None, {0, 1}},
        {"own twice, --yes", Known(), Journals({own, own}), kYes, Action::Refuse, Refusal::SeveralCandidates, {0, 1}},
        {"own twice, one programmed over, --yes",
         KnownProgrammedOn({2026, 12, 10}),
         Journals({own, own}),
         kYes,
         Action::ProgramAsRead,
         Refusal::None,
         {},
         false,
         {0, 1}},
        // An ECU whose VIN reads blank: any interrupted run's may be its own.
        {"blank, one, asked", Blank(), Journals({own}), kAsk, Action::Ask, Refusal::None, {0}, false},
        {"blank, one, --yes", Blank(), Journals({own}), kYes, Action::Refuse, Refusal::MaybeInterrupted, {0}},
        {"blank, a blank run's, --yes",
         Blank(),
         Journals({blankRun}),
         kYes,
         Action::Refuse,
         Refusal::MaybeInterrupted,
         {0}},
        {"blank, two ECUs', asked", Blank(), Journals({own, other}), kAsk, Action::Pick, Refusal::None, {0, 1}},
        {"blank, two ECUs', --yes",
         Blank(),
         Journals({own, other}),
         kYes,
         Action::Refuse,
         Refusal::SeveralCandidates,
         {0, 1}},
        {"blank, none", Blank(), Journals({}), kAsk, Action::Refuse, Refusal::UnknownEcu},
        {"blank, none needed", Blank(), Journals({{.progress = P::Finished}}), kYes, Action::Refuse,
         Refusal::UnknownEcu},
        {"blank, --no-resume", Blank(), Journals({own}), kNoResume, Action::Refuse, Refusal::UnknownEcu},
        // What reads intact must agree with the journal.
        {"model reads, one agrees",
         BlankOfModel(0),
         Journals({{.modelCode = 17}, own}),
         kAsk,
         Action::Ask,
         Refusal::None,
         {1},
         false},
        {"model reads, one agrees, --yes",
         BlankOfModel(0),
         Journals({{.modelCode = 17}, own}),
         kYes,
         Action::Refuse,
         Refusal::MaybeInterrupted,
         {1}},
        {"model reads, none agrees", BlankOfModel(2), Journals({own, other}), kYes, Action::ProgramAsRead},
        {"half-written block, none", Damaged(), Journals({}), kYes, Action::ProgramAsRead},
        {"half-written block, one", Damaged(), Journals({own}), kAsk, Action::Ask, Refusal::None, {0}, false},
        // Named with --resume: the operator's word, unless the journal holds nothing or contradicts.
        {"named, own", Known(), Journals({own}), kResume, Action::Use, Refusal::None, {0}},
        {"named, own, interactive", Known(), Journals({own}), kAskResume, Action::Use, Refusal::None, {0}},
        {"named, blank ECU", Blank(), Journals({own}), kResume, Action::Use, Refusal::None, {0}},
        {"named, first format saved",
         Blank(),
         Journals({{.progress = P::Saved, .firstFormat = true}}),
         kResume,
         Action::Use,
         Refusal::None,
         {0}},
        {"named, another ECU", Known(), Journals({other}), kResume, Action::Refuse, Refusal::NamedOfAnotherEcu, {0}},
        {"named, another serial",
         Known(),
         Journals({{.serial = kWipedSerial}}),
         kResume,
         Action::Refuse,
         Refusal::NamedOfAnotherEcu,
         {0}},
        {"named, another model",
         BlankOfModel(2),
         Journals({own}),
         kResume,
         Action::Refuse,
         Refusal::NamedOfAnotherEcu,
         {0}},
        {"named, erased nothing",
         Blank(),
         Journals({{.progress = P::Saved}}),
         kResume,
         Action::Refuse,
         Refusal::NamedHoldsNothing,
         {0}},
        {"named, finished",
         Known(),
         Journals({{.progress = P::Finished}}),
         kResume,
         Action::Refuse,
         Refusal::NamedHoldsNothing,
         {0}},
        {"--no-resume", Known(), Journals({own}), kNoResume, Action::ProgramAsRead},
        // Held by another running update: unread, it counts by the VIN its file is named by.
        {"held, named by this VIN",
         Known(),
         Journals({{.inUse = true}}),
         kYes,
         Action::Refuse,
         Refusal::JournalInUse,
         {0}},
        {"held, named by this VIN, asked",
         Known(),
         Journals({own, {.inUse = true}}),
         kAsk,
         Action::Refuse,
         Refusal::JournalInUse,
         {1}},
        {"held, another VIN", Known(), Journals({{.vin = kOtherVin, .inUse = true}}), kYes, Action::ProgramAsRead},
        {"held, an ECU cut off mid-update",
         Blank(),
         Journals({{.vin = kOtherVin, .inUse = true}}),
         kYes,
         Action::Refuse,
         Refusal::JournalInUse,
         {0}},
        {"held, a VIN-less ECU intact", BlankOfModel(0), Journals({{.inUse = true}}), kYes, Action::ProgramAsRead},
        {"held, --no-resume", Blank(), Journals({{.inUse = true}}), kNoResume, Action::Refuse, Refusal::UnknownEcu},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const JournalChoice choice = ChooseJournal(row.ecu, row.journals, row.options);
        EXPECT_EQ(choice.action, row.action);
        EXPECT_EQ(choice.refusal, row.refusal);
        EXPECT_EQ(choice.candidates, row.candidates);
        if (row.action == Action::Ask) {
            EXPECT_EQ(choice.defaultYes, row.defaultYes);
        }
        EXPECT_EQ(choice.leftUnused, row.leftUnused);
        EXPECT_EQ(choice.othersUnused, row.othersUnused);
        // An operator's No leaves an ECU nobody can tell as an unknown one, never programmed as read.
        if (row.action == Action::Ask || row.action == Action::Pick) {
            EXPECT_EQ(choice.blankWithoutJournal, row.ecu.infoBlock == InfoBlockState::Erased);
        }
    }
}

// Whatever the ECU and the journals, a journal is never used for a known ECU it does not name,
// nor chosen among several by itself; thousands of random combinations.
TEST(ChooseJournal, NeverAnotherEcusJournalNorOneAmongSeveral) {
    uint32_t state = 12345;
    const auto next = [&](uint32_t below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    const char* vins[] = {kVin, kOtherVin, nullptr};
    for (int round = 0; round < 20000; ++round) {
        EcuReading ecu = next(2) ? Known(vins[next(2)]) : Blank();
        if (next(3) == 0) ecu.modelCode = static_cast<int32_t>(next(3));
        std::vector<JournalCandidate> journals;
        const uint32_t count = next(4);
        for (uint32_t i = 0; i < count; ++i) {
            const J j{.vin = vins[next(3)],
                      .progress = static_cast<JournalProgress>(next(5)),
                      .modelCode = static_cast<int32_t>(next(3)),
                      .firstFormat = next(4) == 0};
            journals.push_back(Journals({j}).front());
        }
        JournalChoiceOptions options;
        options.unattended = next(2) == 0;
        options.noResume = next(5) == 0;
        options.resume = !options.noResume && !journals.empty() && next(4) == 0;
        if (options.resume) journals.resize(1);
        const JournalChoice choice = ChooseJournal(ecu, journals, options);
        SCOPED_TRACE("round " + std::to_string(round));
        if (choice.action != Action::Use && choice.action != Action::Ask) continue;
        ASSERT_EQ(choice.candidates.size(), 1u);
        const JournalHeader& used = journals[choice.candidates[0]].header;
        ASSERT_TRUE(NeedsRestore(used));
        if (ecu.identity.Known()) {
            ASSERT_TRUE(SameEcu(used.Identity(), ecu.identity));
        }
        ASSERT_FALSE(ContradictsReading(used, ecu));
        if (choice.action == Action::Use && !options.resume) {
            ASSERT_TRUE(ecu.identity.Known()) << "an ECU nobody can tell is used only by the operator's word";
            std::size_t needed = 0;
            for (const auto& j : journals)
                needed += NeedsRestore(j.header) && SameEcu(j.header.Identity(), ecu.identity) &&
                          !ContradictsReading(j.header, ecu);
            ASSERT_EQ(needed, 1u) << "used by itself only when it is the one";
        }
    }
}

}  // namespace

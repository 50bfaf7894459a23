#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ecu/EcuIdentity.h"
#include "ecu/ProgrammingHistory.h"
#include "ecu/VersionPolicy.h"
#include "journal/JournalFormat.h"

// What the ECU reads now, as far as the choice of a journal needs it.
struct EcuReading {
    EcuIdentity identity;
    InfoBlockState infoBlock = InfoBlockState::Intact;  // erased: only a journal can tell who the ECU is
    std::optional<int32_t> modelCode;                   // empty where the field reads erased
    std::optional<int32_t> variant;
    std::optional<CalendarDay> newestHistoryEntry;  // the ECU's own history, read in stage 0
};

// A journal found in the folder, or the one the operator named.
struct JournalCandidate {
    std::string path;
    JournalHeader header;
    CalendarDay startedOn;  // the run's start, in local time
    // Held by another running update: unread, its header holds only the VIN its file is named
    // by (none when the name gives none).
    bool inUse = false;
};

struct JournalChoiceOptions {
    bool unattended = false;  // --yes: nobody to ask
    bool resume = false;      // --resume FILE: the candidates are that one journal alone
    bool noResume = false;    // --no-resume: the operator says this ECU is no interrupted one
};

enum class JournalChoiceAction {
    ProgramAsRead,  // no journal is used: the records read now go back
    Use,            // write `candidates[0]` back without asking
    Ask,            // ask whether to write `candidates[0]` back; `defaultYes` gives the default
    Pick,           // several: the operator picks one of `candidates` or none
    Refuse,         // end the run before anything is written, for `refusal`
};

enum class JournalRefusal {
    None,
    NamedHoldsNothing,  // the journal named has no data the ECU may lack
    NamedOfAnotherEcu,  // the journal named is another ECU's, or contradicts what reads now
    MaybeInterrupted,   // unattended: this ECU may be the interrupted one, nobody to say so
    SeveralCandidates,  // unattended: more than one journal may be this ECU's
    UnknownEcu,         // no identity an update may go by: blank, and no journal taken
    JournalInUse,       // a journal another running update holds may be this ECU's
};

// What to do with the journals; the dialogs and the console only carry it out. Indexes are into
// the journals given.
struct JournalChoice {
    JournalChoiceAction action = JournalChoiceAction::ProgramAsRead;
    JournalRefusal refusal = JournalRefusal::None;
    std::vector<std::size_t> candidates;
    bool defaultYes = false;
    // The journals that may hold this ECU's data and are not used unless the operator says so
    // (the ECU's own history is newer): named to the operator whatever the action.
    std::vector<std::size_t> leftUnused;
    // Another ECU's journals left unused by an unattended run that programs: named.
    std::vector<std::size_t> othersUnused;
    // Taken when the operator says no (to Ask or Pick): refused as an unknown ECU.
    bool blankWithoutJournal = false;
};

// What reads intact now and differs from the journal: the same ECU cannot have written it.
bool ContradictsReading(const JournalHeader& header, const EcuReading& ecu);

// The journal's part in a run, decided once at the end of the stage-0 read, before the image
// choice. Never by recency: a journal is used by identity alone, or by the operator's word.
JournalChoice ChooseJournal(const EcuReading& ecu, std::span<const JournalCandidate> journals,
                            const JournalChoiceOptions& options);

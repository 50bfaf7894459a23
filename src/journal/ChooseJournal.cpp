#include "journal/ChooseJournal.h"

namespace {

JournalChoice Refused(JournalRefusal refusal, std::vector<std::size_t> named = {}) {
    JournalChoice choice;
    choice.action = JournalChoiceAction::Refuse;
    choice.refusal = refusal;
    choice.candidates = std::move(named);
    return choice;
}

// Only a journal can tell who an ECU with an erased info block is; a half-written one still has
// the model policy to go by.
bool Blank(const EcuReading& ecu) { return ecu.infoBlock == InfoBlockState::Erased; }

// The operator's word alone decides on a journal named with --resume.
JournalChoice ChooseNamed(const EcuReading& ecu, const JournalCandidate& named) {
    const JournalHeader& header = named.header;
    if (!NeedsRestore(header)) return Refused(JournalRefusal::NamedHoldsNothing, {0});
    if (ContradictsReading(header, ecu) || (ecu.identity.Known() && !SameEcu(header.Identity(), ecu.identity)))
        return Refused(JournalRefusal::NamedOfAnotherEcu, {0});
    JournalChoice choice;
    choice.action = JournalChoiceAction::Use;
    choice.candidates = {0};
    return choice;
}

}  // namespace

bool ContradictsReading(const JournalHeader& header, const EcuReading& ecu) {
    if (ecu.modelCode && *ecu.modelCode != header.modelCode) return true;
    if (ecu.variant && *ecu.variant != header.variant) return true;
    // The serial goes with the VIN: an erase wipes both, so it reads intact only beside a valid VIN.
    return ecu.identity.Known() && ecu.identity.hardwareSerial != header.hardwareSerial;
}

JournalChoice ChooseJournal(const EcuReading& ecu, std::span<const JournalCandidate> journals,
                            const JournalChoiceOptions& options) {
    if (options.resume) {
        if (journals.empty()) return Refused(JournalRefusal::NamedHoldsNothing);
        return ChooseNamed(ecu, journals.front());
    }
    if (options.noResume) return Blank(ecu) ? Refused(JournalRefusal::UnknownEcu) : JournalChoice{};

    // A journal another run holds cannot be read. Such a run is at its own ECU, so the journal is
    // as a rule that ECU's; but one named by this ECU's VIN, or any while this ECU's VIN cannot
    // be read and its info block shows an update cut off, may be this one's: programming with the
    // records read now could lose them for good. Nothing until that run lets go of it.
    std::vector<std::size_t> held;
    for (std::size_t i = 0; i < journals.size(); ++i)
        if (journals[i].inUse && (ecu.identity.Known() ? journals[i].header.vin == ecu.identity.vin
                                                       : ecu.infoBlock != InfoBlockState::Intact))
            held.push_back(i);
    if (!held.empty()) return Refused(JournalRefusal::JournalInUse, held);

    // Whose data each journal may hold. A known ECU's by its VIN and serial; an ECU whose VIN
    // cannot be read may be any interrupted run's that nothing read now contradicts.
    JournalChoice choice;
    std::vector<std::size_t> mine, fresh;
    for (std::size_t i = 0; i < journals.size(); ++i) {
        const JournalCandidate& journal = journals[i];
        if (journal.inUse || !NeedsRestore(journal.header)) continue;
        if (ecu.identity.Known() && !SameEcu(journal.header.Identity(), ecu.identity)) {
            choice.othersUnused.push_back(i);
            continue;
        }
        if (ContradictsReading(journal.header, ecu)) continue;
        mine.push_back(i);
        // Programmed since that run: its data may be older than what the ECU holds now.
        if (ecu.newestHistoryEntry && *ecu.newestHistoryEntry > journal.startedOn)
            choice.leftUnused.push_back(i);
        else
            fresh.push_back(i);
    }
    choice.blankWithoutJournal = Blank(ecu);

    if (!options.unattended) {
        choice.othersUnused.clear();  // never offered, and not named: the operator sees this ECU's alone
        choice.leftUnused.clear();    // offered below, with No as the default
        if (mine.empty()) return Blank(ecu) ? Refused(JournalRefusal::UnknownEcu) : choice;
        choice.candidates = mine;
        if (mine.size() > 1) {
            choice.action = JournalChoiceAction::Pick;
            return choice;
        }
        choice.action = JournalChoiceAction::Ask;
        choice.defaultYes = ecu.identity.Known() && fresh.size() == 1;
        return choice;
    }

    if (fresh.size() > 1) return Refused(JournalRefusal::SeveralCandidates, fresh);
    if (fresh.size() == 1) {
        if (!ecu.identity.Known()) return Refused(JournalRefusal::MaybeInterrupted, fresh);
        choice.action = JournalChoiceAction::Use;
        choice.candidates = fresh;
        choice.othersUnused.clear();
        return choice;
    }
    if (Blank(ecu)) {
        JournalChoice refused = Refused(JournalRefusal::UnknownEcu, choice.leftUnused);
        refused.leftUnused = choice.leftUnused;
        return refused;
    }
    return choice;
}

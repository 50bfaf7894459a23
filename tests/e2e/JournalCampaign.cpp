#include "JournalCampaign.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>

#include "PowerCutDisk.h"
#include "RecordCheck.h"
#include "TemporaryFolder.h"
#include "UpdateRun.h"
#include "Workshop.h"
#include "app/GuidanceTexts.h"
#include "app/Texts.h"
#include "firmware/SplitMix64.h"
#include "journal/JournalFormat.h"
#include "journal/JournalTexts.h"
#include "platform/FolderStorage.h"
#include "sim/FaultRule.h"

namespace {

// The station's journal folder on a disk that may fill up: once `writesLeft` more writes have
// gone through, every write fails as on a full disk.
class StationStorage : public Storage {
public:
    explicit StationStorage(std::string folder) : disk_(std::move(folder)) {}

    std::optional<int> writesLeft;

    std::string Folder() const override { return disk_.Folder(); }
    std::string PathOf(std::string_view name) const override { return disk_.PathOf(name); }
    bool Holds(const std::string& path) const override { return disk_.Holds(path); }
    bool CheckFolder(std::string& reason) override { return disk_.CheckFolder(reason); }
    bool CheckFolderForReading(std::string& reason) override { return disk_.CheckFolderForReading(reason); }
    std::unique_ptr<StorageLock> CreateLocked(std::string_view stem, std::string_view suffix,
                                              std::span<const uint8_t> bytes, std::string& path,
                                              std::string& reason) override {
        if (Full(reason)) return nullptr;
        return disk_.CreateLocked(stem, suffix, bytes, path, reason);
    }
    bool WriteAtomically(const std::string& path, std::span<const uint8_t> bytes, std::string& reason,
                         StorageLock* lock) override {
        return !Full(reason) && disk_.WriteAtomically(path, bytes, reason, lock);
    }
    ReadOutcome Read(const std::string& path, std::size_t limit, std::vector<uint8_t>& out, std::string& reason,
                     std::unique_ptr<StorageLock>* keep) override {
        return disk_.Read(path, limit, out, reason, keep);
    }
    std::vector<std::string> List() override { return disk_.List(); }
    bool MoveAside(const std::string& path, std::string_view suffix, std::string& moved, std::string& reason) override {
        return !Full(reason) && disk_.MoveAside(path, suffix, moved, reason);
    }

private:
    bool Full(std::string& reason) {
        if (!writesLeft) return false;
        if (*writesLeft > 0) {
            --*writesLeft;
            return false;
        }
        reason = "No space left on device";
        return true;
    }

    FolderStorage disk_;
};

// The journal as the disk holds it, read past any lock; empty when it is none.
std::unique_ptr<JournalEntry> JournalOnDisk(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto entry = std::make_unique<JournalEntry>();
    if (bytes.empty() || DecodeJournal(bytes, *entry) != JournalDecodeResult::Ok) return nullptr;
    return entry;
}

// The journal paths a text names: words of the folder ending in ".journal".
std::vector<std::string> PathsIn(const std::string& text, const std::string& folder) {
    std::vector<std::string> paths;
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at + 1)) {
        const std::size_t end = text.find(".journal", at);
        if (end == std::string::npos) break;
        const std::string path = text.substr(at, end + 8 - at);
        if (path.find_first_of(" \n\"") == std::string::npos) paths.push_back(path);
    }
    return paths;
}

enum class Operator { Truthful, DeclinesOwn, Unattended, ResumesNamed, NoResume };
const char* OperatorName(Operator o) {
    switch (o) {
    case Operator::Truthful: return "asked, truthful";
    case Operator::DeclinesOwn: return "asked, says no to its own journal";
    case Operator::Unattended: return "--yes";
    case Operator::ResumesNamed: return "--yes --resume";
    case Operator::NoResume: return "--yes --no-resume";
    }
    return "";
}

enum class Fault {
    None,
    Killed,
    PowerCut,
    OperatorStop,
    LineCut,
    KeyRefused,
    ChecksumFailed,
    UnexpectedRefusal,
    DiskFull,
    JournalLocked
};
const char* FaultName(Fault f) {
    switch (f) {
    case Fault::None: return "none";
    case Fault::Killed: return "process killed";
    case Fault::PowerCut: return "power cut";
    case Fault::OperatorStop: return "operator stop";
    case Fault::LineCut: return "line cut";
    case Fault::KeyRefused: return "key refused";
    case Fault::ChecksumFailed: return "checksum failed three times";
    case Fault::UnexpectedRefusal: return "unexpected refusal";
    case Fault::DiskFull: return "journal write failing";
    case Fault::JournalLocked: return "journal held by another run";
    }
    return "";
}

struct StationEcu {
    std::unique_ptr<Workshop> shop;
    // Who it is and its data, as its first intact read gave them (known once a run kept a journal).
    bool known = false;
    EcuIdentity identity;
    std::unique_ptr<EcuDataSnapshot> reference;
    std::string version;             // the image's version, for its history entries
    bool needsData = false;          // a run started programming it since it last ended "Finished OK"
    bool released = false;           // the operator gave its saved data up (No, --no-resume)
    bool finished = false;           // its last run ended "Finished OK"
    std::vector<std::string> named;  // the journals its last run named
    std::map<std::string, std::vector<uint8_t>> originals;  // records before its first run
};

class Station {
public:
    explicit Station(uint64_t seed) : random_(seed), storage_(root_.File("state")) {
        const uint32_t count = 1 + random_.Below(3);
        for (uint32_t i = 0; i < count; ++i) {
            static constexpr std::array<std::array<uint8_t, 2>, 4> kModels{{{0, 0}, {0, 1}, {1, 0}, {17, 0}}};
            const auto& model = kModels[random_.Below(kModels.size())];
            sim::SimOptions options = EcuOfModel(model[0], model[1]);
            options.seed = seed * 8 + i + 1;
            options.keepIdentity = random_.Chance(30);
            auto ecu = std::make_unique<StationEcu>();
            ecu->shop = std::make_unique<Workshop>(options, storage_);
            ecus_.push_back(std::move(ecu));
        }
        outcome_.ecus = static_cast<int>(count);
    }

    CampaignOutcome Run() {
        constexpr int kMaxRuns = 14;
        while (outcome_.ok && outcome_.runs < kMaxRuns) {
            std::vector<std::size_t> open;
            for (std::size_t i = 0; i < ecus_.size(); ++i)
                if (!ecus_[i]->finished) open.push_back(i);
            if (open.empty()) break;
            OneRun(open[random_.Below(static_cast<uint32_t>(open.size()))]);
        }
        for (const auto& ecu : ecus_) outcome_.finishedEcus += ecu->finished;
        return std::move(outcome_);
    }

private:
    void OneRun(std::size_t index) {
        StationEcu& ecu = *ecus_[index];
        Workshop& shop = *ecu.shop;
        ++outcome_.runs;
        const Operator who = PickOperator(ecu);
        const Fault fault = PickFault();
        ++outcome_.faults[FaultName(fault)];

        JournalSettings settings;
        settings.unattended = who != Operator::Truthful && who != Operator::DeclinesOwn;
        settings.noResume = who == Operator::NoResume;
        if (who == Operator::ResumesNamed) settings.resumeFrom = OwnNamed(ecu);
        shop.run.host().AnswerQuestionsBy(
            [this, &ecu, who](const ScriptedDialogHost::MessageBoxCall& box) { return Answer(ecu, who, box.text); });

        std::vector<sim::FaultRule> rules;
        const auto rule = [&](const std::string& text) {
            sim::FaultRule parsed;
            std::string error;
            if (sim::ParseFaultRule(text, parsed, error)) rules.push_back(parsed);
        };
        std::size_t cutAfterFrames = 0;
        switch (fault) {
        case Fault::Killed:
        case Fault::PowerCut:
        case Fault::OperatorStop:
            cutAfterFrames = random_.Chance(35) ? random_.Below(120) : random_.Below(kFramesOfAWholeRun);
            break;
        case Fault::LineCut:
            rule(std::string(random_.Chance(50) ? "cut" : "unplug") +
                 "@3D,nth=" + std::to_string(1 + random_.Below(kMemoryWritesOfAWholeRun)));
            break;
        case Fault::KeyRefused: rule("nrc=35@2708"); break;
        case Fault::ChecksumFailed:
            rule(random_.Chance(50) ? "wrong-crc@218300,count=3" : "wrong-crc@218301,count=3");
            break;
        case Fault::UnexpectedRefusal:
            rule("nrc=10@3D,nth=" + std::to_string(1 + random_.Below(kMemoryWritesOfAWholeRun)));
            break;
        case Fault::DiskFull: storage_.writesLeft = static_cast<int>(random_.Below(4)); break;
        default: break;
        }
        shop.run.simulator.ReplaceFaults(rules);

        // Another run, at another ECU of the station, holds that ECU's journal for the whole of
        // this one; or takes this ECU's journal while the operator is asked about it.
        if (fault == Fault::JournalLocked) {
            const std::vector<std::string> files = storage_.List();
            for (const std::string& path : files) {
                const auto entry = JournalOnDisk(path);
                if (entry && NeedsRestore(entry->header) &&
                    !(ecu.known && SameIdentity(entry->header.Identity(), ecu.identity))) {
                    TakeForAnotherRun(path);
                    break;
                }
            }
            takeWhenAsked_ = true;
        }

        const sim::RunReport before = shop.run.simulator.Report();
        const std::size_t boxesBefore = shop.run.host().MessageBoxes().size();
        const bool neededDataBefore = ecu.needsData;
        const std::size_t firstFrame = shop.run.line.WriteCount();
        shop.StartProgram(settings);
        CFlashDlg& dlg = shop.run.dlg();
        bool cut = false;
        bool closed = false;  // ended by the front end: the operator, or the lost line
        if (cutAfterFrames > 0 || fault == Fault::Killed || fault == Fault::PowerCut || fault == Fault::OperatorStop) {
            shop.run.RunUntil(
                [&] { return dlg.RunEnded() || shop.run.line.WriteCount() - firstFrame >= cutAfterFrames; },
                kRunLimitMs);
            cut = !dlg.RunEnded();
        } else {
            sim::Simulator& ecuSim = shop.run.simulator;
            shop.run.RunUntil([&] { return dlg.RunEnded() || ecuSim.LineCut() || ecuSim.Unplugged(); }, kRunLimitMs);
            // The front end's watch: 30 s of silence, or the device gone, end the run.
            if (!dlg.RunEnded() && (ecuSim.LineCut() || ecuSim.Unplugged())) {
                shop.run.RunFor(30 * 1000);
                closed = dlg.EndRunOnLostLine(ecuSim.Unplugged() ? LineLoss::DeviceGone : LineLoss::Silent);
            }
        }
        if (cut && fault == Fault::OperatorStop) {
            dlg.OnClose();  // two Ctrl-C: the close steps
            closed = true;
        }
        const bool ended = dlg.RunEnded() || closed;
        storage_.writesLeft.reset();

        std::ostringstream step;
        step << "run " << outcome_.runs << ": ECU " << index + 1 << ", " << OperatorName(who);
        if (!settings.resumeFrom.empty()) step << " " << settings.resumeFrom;
        step << ", fault: " << FaultName(fault);
        if (cut) step << " after " << cutAfterFrames << " frames";
        const std::vector<std::string> texts = shop.run.StatusTexts();
        step << ", ends: " << (ended ? (texts.empty() ? "" : texts.back()) : cut ? "cut off" : "still running");
        step << ", ECU " << EcuStateName(dlg.EcuStateNow());
        if (dlg.restoreSource) step << ", writing back " << dlg.restoreSource->path;
        {
            const auto boxes = shop.run.host().MessageBoxes();
            for (std::size_t i = boxesBefore; i < boxes.size(); ++i)
                step << "\n      box: " << boxes[i].text.substr(0, 160);
        }
        outcome_.steps.push_back(step.str());
        if (!ended && !cut) return Fail("the run neither ended nor was cut off within its time");

        LearnWhoTheEcuIs(ecu, dlg, Wiped(before));
        const bool killed = cut && fault != Fault::OperatorStop;
        const EcuState state = dlg.EcuStateNow();
        const bool programmingStarted = dlg.programmingStarted != 0;
        const bool restoring = dlg.restoreSource != nullptr;
        if (killed) {
            // Gone with no close steps: its locks go with it; a power cut takes the ECU's power too.
            shop.KillProgram();
            if (fault == Fault::PowerCut) {
                shop.run.simulator.PowerCycle(shop.run.bench.clock.NowMs() * 1000);
                // The station loses its power too: its disk keeps what the storage made durable.
                power_cut_disk::Cut();
            }
        }
        if (state == EcuState::Unprogrammed) ecu.needsData = true;
        if (neededDataBefore && !restoring && programmingStarted &&
            (who == Operator::NoResume || who == Operator::DeclinesOwn))
            ecu.released = true;
        ecu.finished = state == EcuState::Programmed;
        if (ecu.finished) ecu.needsData = false;

        // What this run names as the journal to finish from (and the journals its boxes name).
        ecu.named.clear();
        if (!killed) {
            if (std::string resume = dlg.JournalToResume(); !resume.empty()) ecu.named.push_back(resume);
            const auto boxes = shop.run.host().MessageBoxes();
            for (std::size_t i = boxesBefore; i < boxes.size(); ++i)
                for (const std::string& path : PathsIn(boxes[i].text, storage_.Folder())) ecu.named.push_back(path);
        }
        takenByAnotherRun_.clear();
        takeWhenAsked_ = false;

        CheckNamedJournals(ecu, dlg, killed);
        CheckRecoveryWords(shop, dlg, before, killed);
        CheckRecords();
    }

    // The operator answers as a person at that car would: yes to this ECU's own journal, no to
    // another's; one who declines says no to its own too. Never programs without a journal.
    MessageResult Answer(const StationEcu& ecu, Operator who, const std::string& text) {
        if (text.find(Text::ProgramWithoutCopy) != std::string::npos) return MessageResult::No;
        const std::vector<std::string> paths = PathsIn(text, storage_.Folder());
        bool own = false;
        if (!paths.empty()) {
            const auto entry = JournalOnDisk(paths.back());
            own = entry && ecu.known && SameIdentity(entry->header.Identity(), ecu.identity);
        } else if (text.find(Text::JournalHeading) != std::string::npos ||
                   text.find(Text::InterruptedRunOfThisEcu) != std::string::npos) {
            own = ecu.known && text.find(VinText(ecu.identity)) != std::string::npos &&
                  text.find(VinText(ecu.identity)) < text.find(Text::ThisEcuHeading);
        } else {
            return MessageResult::Yes;
        }
        if (own && takeWhenAsked_) {
            for (const std::string& path : storage_.List()) {
                const auto entry = JournalOnDisk(path);
                if (entry && NeedsRestore(entry->header) && SameIdentity(entry->header.Identity(), ecu.identity))
                    TakeForAnotherRun(path);
            }
        }
        return own && who != Operator::DeclinesOwn ? MessageResult::Yes : MessageResult::No;
    }

    void TakeForAnotherRun(const std::string& path) {
        JournalProblem problem;
        auto file = otherRun_.Load(path, problem);
        std::string reason;
        if (file && otherRun_.Hold(*file, reason) == Journal::HoldOutcome::Held)
            takenByAnotherRun_.push_back(std::move(file));
    }

    static bool SameIdentity(const EcuIdentity& a, const EcuIdentity& b) {
        return a.vin == b.vin && a.hardwareSerial == b.hardwareSerial;
    }
    static std::string VinText(const EcuIdentity& identity) {
        return "VIN: " + std::string(identity.vin.begin(), identity.vin.end());
    }

    Operator PickOperator(const StationEcu& ecu) {
        const uint32_t roll = random_.Below(100);
        if (roll < 30) return Operator::Truthful;
        if (roll < 34) return Operator::DeclinesOwn;
        if (roll < 64) return Operator::Unattended;
        if (roll < 96) return OwnNamed(ecu).empty() ? Operator::Unattended : Operator::ResumesNamed;
        return Operator::NoResume;
    }

    // A journal the last run named that holds this ECU's data: what an operator copies from the
    // screen for --resume.
    std::string OwnNamed(const StationEcu& ecu) const {
        for (const std::string& path : ecu.named) {
            const auto entry = JournalOnDisk(path);
            if (entry && ecu.known && SameIdentity(entry->header.Identity(), ecu.identity)) return path;
        }
        return {};
    }

    Fault PickFault() {
        static constexpr std::array<std::pair<Fault, uint32_t>, 10> kWeights{{{Fault::None, 18},
                                                                              {Fault::Killed, 15},
                                                                              {Fault::PowerCut, 10},
                                                                              {Fault::OperatorStop, 10},
                                                                              {Fault::LineCut, 10},
                                                                              {Fault::KeyRefused, 7},
                                                                              {Fault::ChecksumFailed, 7},
                                                                              {Fault::UnexpectedRefusal, 8},
                                                                              {Fault::DiskFull, 8},
                                                                              {Fault::JournalLocked, 7}}};
        uint32_t roll = random_.Below(100);
        for (const auto& [fault, weight] : kWeights) {
            if (roll < weight) return fault;
            roll -= weight;
        }
        return Fault::None;
    }

    // A run that kept a journal of an ECU that held its own data tells who it is and what its
    // data is now (a write-back or a "Finished OK" adds a history entry to it).
    void LearnWhoTheEcuIs(StationEcu& ecu, const CFlashDlg& dlg, bool wipedBefore) {
        if (wipedBefore || dlg.restoreSource) return;
        const std::string path = dlg.JournalPath();
        if (path.empty()) return;
        const auto entry = JournalOnDisk(path);
        if (!entry) return;
        if (!ecu.known) {
            ecu.known = true;
            ecu.identity = entry->header.Identity();
        }
        ecu.reference = std::make_unique<EcuDataSnapshot>(entry->snapshot);
    }

    // d: the journals named for finishing the update are ones --resume accepts.
    void CheckNamedJournals(const StationEcu& ecu, const CFlashDlg& dlg, bool killed) {
        if (killed) return;
        const std::string resume = dlg.JournalToResume();
        if (resume.empty()) return;
        const auto entry = JournalOnDisk(resume);
        if (!entry || !NeedsRestore(entry->header))
            return Fail("d: the run names " + resume + " to finish from, which --resume refuses (" +
                        (entry ? ProgressName(entry->header.progress) : "unreadable") + ")");
        // An ECU whose data the operator gave up is programmed as it reads now, wiped VIN and all.
        if (ecu.known && !ecu.released && !SameIdentity(entry->header.Identity(), ecu.identity))
            return Fail("d: the run names " + resume + ", a journal of another ECU");
    }

    // e: the recovery steps exactly when the run left the ECU changed.
    void CheckRecoveryWords(Workshop& shop, const CFlashDlg& dlg, const sim::RunReport& before, bool killed) {
        if (killed) return;
        const sim::RunReport after = shop.run.simulator.Report();
        const auto count = [](const sim::RunReport& report, uint8_t service) {
            const auto it = report.requestsPerService.find(service);
            return it == report.requestsPerService.end() ? 0u : it->second;
        };
        const bool written = count(after, 0x3D) > count(before, 0x3D);
        const std::string words = dlg.ClosingWords(false);
        const bool recovery = words.rfind(Text::EcuNotProgrammed, 0) == 0;
        if (written && dlg.EcuStateNow() != EcuState::Programmed && !recovery)
            return Fail("e: the run wrote to the ECU and did not finish, but says: " + words);
        if (recovery && dlg.programmingStarted == 0) return Fail("e: recovery steps for an ECU never changed");
        if (!written && dlg.programmingStarted == 0 && recovery)
            return Fail("e: recovery steps though nothing was written");
    }

    // a, b, c over every ECU of the station.
    void CheckRecords() {
        if (!outcome_.ok) return;
        std::vector<sim::RunReport> reports;
        for (const auto& ecu : ecus_) reports.push_back(ecu->shop->run.simulator.Report());
        for (std::size_t e = 0; e < ecus_.size(); ++e) {
            StationEcu& ecu = *ecus_[e];
            for (const auto& record : reports[e].changedRecords) ecu.originals.emplace(record.record, record.atStart);
            // a: another ECU's own value of a record, where it differs from this ECU's.
            for (const auto& record : reports[e].changedRecords) {
                for (std::size_t f = 0; f < ecus_.size(); ++f) {
                    if (f == e) continue;
                    const auto theirs = ecus_[f]->originals.find(record.record);
                    if (theirs == ecus_[f]->originals.end() || theirs->second == record.atStart) continue;
                    if (record.now == theirs->second)
                        return Fail("a: ECU " + std::to_string(e + 1) + " holds ECU " + std::to_string(f + 1) +
                                    "'s record " + record.record);
                }
            }
            if (ecu.released) continue;
            // b: finished, with every record of its own back.
            if (ecu.finished && !FinishedWithItsRecords(ecu, reports[e]))
                return Fail("b: ECU " + std::to_string(e + 1) +
                            " ended Finished OK without its records: " + RecordLines(ecu, reports[e]));
            // c: its data within reach, where the ECU no longer holds it.
            if (Wiped(reports[e]) && (!ecu.reference || !DataInReach(ecu)))
                return Fail("c: ECU " + std::to_string(e + 1) + " lacks its data and no journal holds it" +
                            JournalLines(ecu));
        }
    }

    // Any number of history entries of this run's version: each run that wrote its entry before
    // it was cut off may have left one.
    bool FinishedWithItsRecords(const StationEcu& ecu, const sim::RunReport& report) const {
        for (int entries = 1; entries <= outcome_.runs; ++entries) {
            ExpectedRecords expected{
                ecu.shop->run.LocalTime(), std::vector<std::string>(entries, report.version), "tester", {}};
            if (RecordProblems(report, expected).empty()) return true;
        }
        return false;
    }

    std::string RecordLines(const StationEcu& ecu, const sim::RunReport& report) const {
        ExpectedRecords expected{ecu.shop->run.LocalTime(), {report.version}, "tester", {}};
        std::string lines;
        for (const std::string& problem : RecordProblems(report, expected)) lines += "\n  " + problem;
        return lines;
    }

    // Records the ECU no longer holds as they were: an erase left its configuration at the
    // factory's values. The repaired records and the history change by design.
    static bool Wiped(const sim::RunReport& report) {
        return std::any_of(report.changedRecords.begin(), report.changedRecords.end(), [](const auto& record) {
            return record.record != "21 17" && record.record != "21 33" && record.record != "21 69";
        });
    }

    bool DataInReach(const StationEcu& ecu) {
        for (const std::string& path : storage_.List()) {
            const auto entry = JournalOnDisk(path);
            if (entry && NeedsRestore(entry->header) && SameIdentity(entry->header.Identity(), ecu.identity) &&
                std::memcmp(&entry->snapshot, ecu.reference.get(), sizeof(EcuDataSnapshot)) == 0)
                return true;
        }
        return false;
    }

    // The folder's journals as the disk holds them, for a failure's text.
    std::string JournalLines(const StationEcu& ecu) {
        std::string lines;
        for (const std::string& path : storage_.List()) {
            const auto entry = JournalOnDisk(path);
            lines += "\n  " + path + ": ";
            if (!entry) {
                lines += "unreadable";
                continue;
            }
            lines += ProgressName(entry->header.progress);
            lines += SameIdentity(entry->header.Identity(), ecu.identity) ? ", this ECU's" : ", another ECU's";
            if (ecu.reference)
                lines += std::memcmp(&entry->snapshot, ecu.reference.get(), sizeof(EcuDataSnapshot)) == 0
                             ? ", its data"
                             : ", other data";
        }
        return lines;
    }

    void Fail(const std::string& why) {
        if (!outcome_.ok) return;
        outcome_.ok = false;
        outcome_.failure = why;
    }

    // A whole update's frames and memory writes, roughly: where a cut may fall.
    static constexpr uint32_t kFramesOfAWholeRun = 6000;
    static constexpr uint32_t kMemoryWritesOfAWholeRun = 5000;
    static constexpr uint64_t kRunLimitMs = 30 * 60 * 1000;

    SplitMix64 random_;
    TemporaryFolder root_;
    StationStorage storage_;
    power_cut_disk::Watch disk_{storage_.Folder()};
    // Another program of the station, on the same folder.
    FolderStorage otherInstance_{storage_.Folder()};
    Journal otherRun_{otherInstance_};
    std::vector<std::unique_ptr<JournalFile>> takenByAnotherRun_;
    bool takeWhenAsked_ = false;
    std::vector<std::unique_ptr<StationEcu>> ecus_;
    CampaignOutcome outcome_;
};

}  // namespace

CampaignOutcome RunCampaign(uint64_t seed) {
    // The power cuts test nothing if the disk model keeps what was never made durable.
    static const std::string diskModelProblem = [] {
        const TemporaryFolder folder;
        return power_cut_disk::SelfCheck(folder.Path().string());
    }();
    if (!diskModelProblem.empty()) {
        CampaignOutcome outcome;
        outcome.ok = false;
        outcome.failure = "the power-cut disk model: " + diskModelProblem;
        return outcome;
    }
    return Station(seed).Run();
}

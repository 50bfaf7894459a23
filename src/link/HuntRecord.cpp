#include "link/HuntRecord.h"

#include <algorithm>

#include "link/HuntTexts.h"

namespace {

const char* OutcomeText(PortOutcome outcome) {
    switch (outcome) {
    case PortOutcome::Missing: return Text::PortMissing;
    case PortOutcome::NoPermission: return Text::PortNoPermission;
    case PortOutcome::InUse: return Text::PortInUse;
    case PortOutcome::NotSerial: return Text::PortNotSerial;
    case PortOutcome::OwnTerminal: return Text::PortOwnTerminal;
    case PortOutcome::OpenFailed: return Text::PortOpenFailed;
    case PortOutcome::Silent: return Text::PortSilent;
    }
    return Text::PortOpenFailed;
}

}  // namespace

PortOutcome OutcomeOf(PortOpenError error) {
    switch (error) {
    case PortOpenError::Missing: return PortOutcome::Missing;
    case PortOpenError::NoPermission: return PortOutcome::NoPermission;
    case PortOpenError::InUse: return PortOutcome::InUse;
    case PortOpenError::NotSerial: return PortOutcome::NotSerial;
    case PortOpenError::OwnTerminal: return PortOutcome::OwnTerminal;
    case PortOpenError::None:
    case PortOpenError::Other: break;
    }
    return PortOutcome::OpenFailed;
}

void HuntRecord::Record(int32_t portNumber, PortOutcome outcome) {
    const auto same = std::find_if(current_.begin(), current_.end(),
                                   [&](const PortAttempt& a) { return a.portNumber == portNumber; });
    if (same != current_.end())
        same->outcome = outcome;
    else
        current_.push_back({portNumber, outcome});
}

void HuntRecord::EndRound() {
    lastRound_ = std::move(current_);
    current_.clear();
    ++rounds_;
}

void HuntRecord::AdapterAnswered() {
    lastRound_.clear();
    current_.clear();
    rounds_ = 0;
    answered_ = true;
}

std::vector<PortAttempt> HuntRecord::Latest() const {
    std::vector<PortAttempt> latest = lastRound_;
    for (const PortAttempt& attempt : current_) {
        const auto same = std::find_if(latest.begin(), latest.end(),
                                       [&](const PortAttempt& a) { return a.portNumber == attempt.portNumber; });
        if (same != latest.end())
            same->outcome = attempt.outcome;
        else
            latest.push_back(attempt);
    }
    return latest;
}

std::string DescribeHunt(const std::vector<PortAttempt>& attempts, const PortNamer& portName, bool unfinishedJournal) {
    std::string text = Text::NoAdapterAnswered;
    if (!attempts.empty()) text += ':';
    bool anyOpened = false;
    for (const PortAttempt& attempt : attempts) {
        text += "\n  " + portName(attempt.portNumber) + ": " + OutcomeText(attempt.outcome);
        anyOpened = anyOpened || attempt.outcome == PortOutcome::Silent;
    }
    // Only an adapter that is there but deaf to the low speed can be helped by a reset.
    if (unfinishedJournal && anyOpened) text += std::string("\n") + Text::AdapterMayBeFast;
    return text;
}

#include "link/ConnectionSequence.h"

#include <cstdio>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "link/HuntTexts.h"
#include "link/RequestTable.h"
#include "platform/DialogHost.h"
#include "platform/PortEnumerator.h"

namespace {

int32_t g_connectState = 0;
int32_t g_candidateIndex = 0;

// Ticks in states 2..5 that test for the adapter's answer before the port is given up.
constexpr int32_t kLastTestState = 5;
constexpr int32_t kConnectedState = 6;

}  // namespace

int32_t& ConnectState() { return g_connectState; }
int32_t& CandidateIndex() { return g_candidateIndex; }

int32_t CFlashDlg::CurrentPort() const {
    const int32_t candidate = CandidateIndex();
    return candidate >= 0 && candidate < portCount ? PortList[static_cast<size_t>(candidate)] : 0;
}

std::string CFlashDlg::WhyNoAdapter(bool unfinishedJournal) const {
    if (portCount == 0) return Text::NoPortFound;
    return DescribeHunt(
        hunt.Latest(), [this](int32_t number) { return platform.ports.PortName(number); }, unfinishedJournal);
}

// One step of the hunt per connection tick: open the candidate, ask the adapter for its version,
// give it four ticks to answer, else close the port and try the next one, round and round.
void CFlashDlg::ConnectionTick() {
    int32_t& state = ConnectState();
    int32_t& candidate = CandidateIndex();
    const auto advanceCandidate = [&] {
        candidate = candidate + 1 < portCount ? candidate + 1 : 0;
        if (candidate == 0) hunt.EndRound();
    };
    const auto candidateValid = [&] { return candidate >= 0 && candidate < portCount; };
    const auto showPortText = [&](const char* format) {
        const int32_t number = candidateValid() ? PortList[static_cast<size_t>(candidate)] : 0;
        char text[64];
        std::snprintf(text, sizeof text, format, static_cast<int>(number));
        SetStatusText(text);
    };

    switch (state) {
    case 0:
        platform.host.EnableItem(ControlId::Proceed, false);
        // A candidate past the end (an empty list) is not tried; the hunt starts over at the first.
        if (candidateValid() && OpenPort(PortList[static_cast<size_t>(candidate)])) {
            showPortText(Text::Connecting);
            StartCommThread();
            state = 1;
        } else {
            if (candidateValid())
                hunt.Record(PortList[static_cast<size_t>(candidate)], OutcomeOf(platform.port.LastOpenError()));
            advanceCandidate();
        }
        break;
    case 1:
        scheduler.pendingFlags[Row::InterfaceVersion] = 1;
        state = 2;
        break;
    case 2:
    case 3:
    case 4:
    case kLastTestState:
        if (dongleVersion > 0) {
            state = kConnectedState;
        } else if (state < kLastTestState) {
            ++state;
        } else {
            if (candidateValid()) hunt.Record(PortList[static_cast<size_t>(candidate)], PortOutcome::Silent);
            advanceCandidate();
            ClosePort();
            state = 0;
        }
        break;
    case kConnectedState:
        hunt.AdapterAnswered();
        showPortText(Text::Connected);
        platform.host.KillTimer(TimerId::Connection);
        scheduler.pendingFlags[sessionStage == Stage::Identification ? Row::ReadDate : Row::ModelCode] = 1;
        break;
    default: break;
    }
}

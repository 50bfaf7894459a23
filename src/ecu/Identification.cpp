#include <cstdio>
#include <cstring>

#include "app/CFlashDlg.h"
#include "app/ControlIds.h"
#include "app/Texts.h"
#include "ecu/ModelNames.h"
#include "ecu/VersionPolicy.h"
#include "link/RequestTable.h"
#include "platform/DialogHost.h"
#include "session/Response.h"

namespace {

// The text of a reply from data byte 1, at most `most` characters, up to a zero byte or the
// end of the frame.
std::string_view ReplyText(const Response& response, size_t most) {
    size_t count = 0;
    while (count < most && response.Has(3 + count + 1) && response.Data(1 + count) != 0) ++count;
    const uint8_t* text = response.Bytes(3, count);
    return {reinterpret_cast<const char*>(text), text != nullptr ? count : 0};
}

}  // namespace

void CFlashDlg::OnDateReply(const Response& response) {
    Withdraw(Row::ReadDate);
    platform.host.SetItemText(ControlId::DateLabel, Text::DateLabel);
    const std::string_view date = ReplyText(response, 11);
    std::memset(ecuIdentification.softwareDate, 0, sizeof ecuIdentification.softwareDate);
    std::memcpy(ecuIdentification.softwareDate, date.data(), date.size());
    platform.host.AppendFieldText(ControlId::DateValue, date);
    MakePending(Row::ReadTime);
}

void CFlashDlg::OnTimeReply(const Response& response) {
    Withdraw(Row::ReadTime);
    platform.host.SetItemText(ControlId::TimeLabel, Text::TimeLabel);
    const std::string_view time = ReplyText(response, 8);
    platform.host.AppendFieldText(ControlId::TimeValue, time);
    std::memset(ecuIdentification.softwareTime, 0, sizeof ecuIdentification.softwareTime);
    time.copy(ecuIdentification.softwareTime, sizeof ecuIdentification.softwareTime - 1);
    MakePending(Row::ReadVersion);
}

void CFlashDlg::OnVersionReply(const Response& response) {
    Withdraw(Row::ReadVersion);
    platform.host.SetItemText(ControlId::VersionLabel, Text::VersionLabel);
    const std::string_view version = ReplyText(response, 4);
    char text[4] = {};
    std::memcpy(text, version.data(), version.size());
    softwareVersionNumber = SoftwareVersionNumber(text);
    std::memset(ecuIdentification.currentVersion, 0, sizeof ecuIdentification.currentVersion);
    std::memcpy(ecuIdentification.currentVersion, text, sizeof text);
    platform.host.AppendFieldText(ControlId::VersionValue, version);

    const Stage stage = sessionStage;
    if (stage == Stage::Restore || stage == Stage::Completion) {
        std::memcpy(historyVersion.data(), text, sizeof text);
        AddProgrammingHistoryEntry();
        blockIndex = 0;
        MakePending(Row::WriteHistory);
    } else if (snapshotReading == 1) {
        // Reached by skipping a refused 21 3A: the snapshot read goes on with 21 65. Asking
        // for the model code again would start the identification over, and with an ECU that
        // never has 21 3A, over and over.
        MakePending(Row::ReadLocal65);
    } else {
        MakePending(Row::ModelCode);
    }
}

void CFlashDlg::ApplyModelPolicy(const Response& response) {
    Withdraw(Row::ModelCode);
    modelKnown = 1;
    modelCode = response.Data(2);
    variant = response.Data(3);
    if (sessionStage == Stage::Identification) {
        // Cut off before its info block was written again, or while it was: the stage-0 read goes
        // on, and only an interrupted run's journal can tell who the ECU is (the image choice asks
        // for it; the policy follows there when no journal is taken).
        infoBlock = InfoBlockOf(modelCode, variant, ecuIdentification.softwareDate, ecuIdentification.softwareTime,
                                ecuIdentification.currentVersion);
        if (infoBlock != InfoBlockState::Intact) {
            MakePending(Row::SeedLevel5);
            return;
        }
    }
    if (const char* refused = RefusedByModelPolicy()) {
        FinishWithStatus(refused);
        return;
    }
    MakePending(Row::SeedLevel5);
}

const char* CFlashDlg::RefusedByModelPolicy() const {
    if (!ModelMayBeUpdated(modelCode, variant)) return Text::UnknownEcu;
    // Always against the date read at the start: later stages read only the model code.
    if (!IsEcuSoftwareOlder(ecuIdentification.softwareDate, modelCode)) return Text::LaterVersion;
    return nullptr;
}

void CFlashDlg::SelectImageForEcu() {
    snapshotReading = 0;
    if (sessionStage == Stage::Identification) {
        if (!OfferJournalRestore()) return;
        if (infoBlock == InfoBlockState::Damaged && !restoreSource) {
            if (const char* refused = RefusedByModelPolicy()) {
                FinishWithStatus(refused);
                return;
            }
        }
    }
    ShowEcuFields(true);
    platform.host.ShowItem(ControlId::BusyIndicator, false);
    const int32_t image = modelKnown == 1 ? ImageForModel(modelCode, variant) : ImageForVersion(softwareVersionNumber);
    if (image == 0) {
        SetStatusText(Text::UnknownEcu);
        runEnded = 1;
        return;
    }
    imageIndex = image;
    char text[64];
    std::snprintf(text, sizeof text, "%s%s", Text::PreloadedWith, ModelName(image));
    SetStatusText(text);
    platform.host.EnableItem(ControlId::Proceed, true);
}

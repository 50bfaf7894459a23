#include "session/SessionStage.h"

#include <string>

#include "app/CFlashDlg.h"

const char* StageName(Stage stage) {
    switch (stage) {
    case Stage::Identification: return "identification";
    case Stage::BaseProgramming: return "base programming";
    case Stage::BaseVerification: return "base verification";
    case Stage::Restore: return "restore";
    case Stage::RestoreAfterReset: return "restore after a reset";
    case Stage::UpperProgramming: return "upper programming";
    case Stage::Completion: return "completion";
    }
    return "?";
}

Stage StageAfterReset(Stage stage) {
    switch (stage) {
    case Stage::Identification: return Stage::BaseVerification;
    case Stage::Completion: return Stage::Completion;
    default: return static_cast<Stage>(StageNumber(stage) + 1);
    }
}

// The one place the stage changes; the trace tells support how the run moved.
void CFlashDlg::SetSessionStage(Stage stage, std::string_view why) {
    const Stage before = sessionStage.exchange(stage);
    if (!traceNote) return;
    traceNote("stage " + std::to_string(StageNumber(before)) + " -> " + std::to_string(StageNumber(stage)) + " (" +
              StageName(stage) + ": " + std::string(why) + ")");
}

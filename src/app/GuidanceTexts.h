#pragma once

// What the operator is told when a run is stopped or its line is lost: what happened and what to
// do. The program's own words, beside the designed texts of Texts.h.
namespace Text {
inline constexpr const char* EcuNotProgrammedCaption = "ECU not programmed";
inline constexpr const char* EcuNotProgrammed =
    "The ECU is not programmed: the update stopped while the ECU was being changed.";
inline constexpr const char* RunJournal = "This run's journal: ";
inline constexpr const char* DataJournal = "The journal that holds the ECU's data: ";
inline constexpr const char* FinishFromJournal = "Switch the ECU off and on, then finish the update with:";
inline constexpr const char* ResumeCommand = "flash-updater-cli --resume ";
inline constexpr const char* RunKeptNoJournal =
    "This run kept no journal: the ECU's configuration was not saved and cannot be written back.";
inline constexpr const char* DataWrittenBack =
    "The ECU's configuration has been written back already; only its program is missing.";
inline constexpr const char* RunAgain = "Switch the ECU off and on, then run the update again.";
inline constexpr const char* WindowOffersJournal =
    "Starting Flash Updater again also offers this journal's data (switch the ECU off and on first).";
// A run that ended before it asked for the programming session.
inline constexpr const char* ChangedNothing = "Nothing on the ECU was changed: the update can simply be run again.";
inline constexpr const char* ChangedNothingStillBlank =
    "Nothing on the ECU was changed by this run; the ECU still lacks the data of the interrupted update.";

inline constexpr const char* CloseWhileChangingCaption = "Stop programming?";
inline constexpr const char* CloseWhileChanging =
    "The ECU is being programmed. Closing now stops the update and leaves the ECU without a working program.";
inline constexpr const char* CloseAnyway = "Close anyway?";
inline constexpr const char* LeftWithoutProgram = "The update has stopped and left the ECU without a working program.";

inline constexpr const char* AdapterLostCaption = "Adapter lost";
inline constexpr const char* RunEndedBecause = "The run has ended: ";
inline constexpr const char* CheckAdapter = "Check the adapter's cable and power, then start the program again.";
}  // namespace Text

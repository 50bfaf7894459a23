#pragma once

// Texts shown to the operator, exactly as the system shows them (doubled blanks included).
namespace Text {
inline constexpr const char* ApplicationName = "Flash Updater";
inline constexpr const char* WindowTitle = "Ombrix Flash Update [K410/K411/K412/M530/P640] V1.0";
inline constexpr const char* AboutMenuEntry = "&About Flash...";
inline constexpr const char* AboutCaption = "About...";
inline constexpr const char* StatusTemplate = "...";
inline constexpr const char* ProceedButton = "Proceed ->";

inline constexpr const char* RadioGen1_2MFormat = "%s (Gen1 2M)";
inline constexpr const char* RadioGen1_3MFormat = "%s (Gen1 3M)";
inline constexpr const char* RadioGen2Format = "%s (Gen2)";

inline constexpr const char* PreloadedWith = "Pre-loaded with ";

inline constexpr const char* Connecting = "Connecting to Com Port  [  %d  ]";
inline constexpr const char* Connected = "Connected to Com Port  [  %d  ]";
inline constexpr const char* CommThreadError = "Comm Thread Error";
inline constexpr const char* DefaultErrorCaption = "Error";  // the system's caption for an ownerless error box

inline constexpr const char* Unavailable = "Unavailable";
inline constexpr const char* AddressLimitExceeded = "Error - Flash Area Address Limit Exceeded !";
inline constexpr const char* IncorrectRecordCount = "Error - Incorrect Number of S-Records !";
inline constexpr const char* UnverifiedRecordCount = "Error - Unable to Verify Number of S-Records !";
inline constexpr const char* UpperContainerError = "Error ! - Unable to create upper tag container";

inline constexpr const char* FinishedOk = "Finished OK";
inline constexpr const char* WritingBase = "Writing (Base) - %d%%";
inline constexpr const char* WritingUpper = "Writing (Upper) - %d%%";
inline constexpr const char* BaseAddressError = "Flash Container Base Address Error !";
inline constexpr const char* UpperAddressError = "Flash Container Upper Address Error !";
inline constexpr const char* ResettingEcu = "Resetting ECU...";
inline constexpr const char* ResetEcuFirst = "Reset ECU First, Then Click OK";
inline constexpr const char* UserInputRequired = "User Input Required";

inline constexpr const char* DateLabel = "Date";
inline constexpr const char* TimeLabel = "Time";
inline constexpr const char* VersionLabel = "Software Version";
inline constexpr const char* UnknownEcu = "Update cancelled. Unknown ECU";
inline constexpr const char* LaterVersion = "Update cancelled. ECU programmed with a later version";

inline constexpr const char* ReadingEcuData = "Reading ECU Data...";
inline constexpr const char* WritingEcuData = "Writing ECU Data...";

inline constexpr const char* FailedBaseCrc = "Failed Base CRC Check!";
inline constexpr const char* FailedUpperCrc = "Failed Upper CRC Check!";

inline constexpr const char* ConditionsNotCorrect = "Unable To Proceed - Conditions Not Correct!";
inline constexpr const char* Waiting = "Waiting...";
inline constexpr const char* Erasing = "Erasing...";
inline constexpr const char* ManualReset = "Manual Reset";
inline constexpr const char* InvalidKey = "Error - Invalid Key!";
inline constexpr const char* UnexpectedNegativeResponse =
    "Unexpected negative response received, You will now be prompted to save debug information to file ...";
inline constexpr const char* NegativeResponseLine =
    "\nNegative Response received: verb= %#2x response= %#2x state = %d\n";
inline constexpr const char* MayNotBeUpgraded =
    "ECU may not be upgraded - BUT should still be usable with loaded software ...";
inline constexpr const char* CanNowExit = "You can now exit updater!!!";
}  // namespace Text

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
} // namespace Text

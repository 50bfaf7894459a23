#pragma once

// Texts of the journal, as the operator sees them.
namespace Text {
inline constexpr const char* JournalNotSaved = "The ECU's data could not be saved before programming";
inline constexpr const char* JournalFolder = "Folder: ";
inline constexpr const char* ProgramWithoutCopy =
    "Program anyway? If the update is interrupted, the ECU's configuration cannot be restored.";
inline constexpr const char* NotProgrammedNoJournal = "Not programmed - the ECU's data could not be saved";

inline constexpr const char* InterruptedRunFound =
    "An update was interrupted before the ECU's data had been written back.";
inline constexpr const char* InterruptedRunQuestion =
    "Is this that ECU? Yes: its saved data is written back after programming.";
inline constexpr const char* JournalLeftUnused = "An unfinished journal of another ECU was left unused: ";
inline constexpr const char* JournalRestoring = "Writing back the data saved by the run of ";
inline constexpr const char* JournalUnusable = "A journal cannot be used: ";
inline constexpr const char* JournalKeptAs = "It has been kept as ";
inline constexpr const char* NamedJournalUnusable = "Not programmed - the journal named cannot be used";
} // namespace Text

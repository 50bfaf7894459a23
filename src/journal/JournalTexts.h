#pragma once

// Texts of the journal, as the operator sees them.
namespace Text {
inline constexpr const char* JournalNotSaved = "The ECU's data could not be saved before programming";
inline constexpr const char* JournalFolder = "Folder: ";
inline constexpr const char* ProgramWithoutCopy =
    "Program anyway? If the update is interrupted, the ECU's configuration cannot be restored.";
inline constexpr const char* NotProgrammedNoJournal = "Not programmed - the ECU's data could not be saved";

inline constexpr const char* InterruptedRunOfThisEcu =
    "An update of this ECU was interrupted before its data had been written back.";
inline constexpr const char* WriteBackQuestion = "Write the data saved then back after programming?";
inline constexpr const char* InterruptedRunFound =
    "An update was interrupted before the ECU's data had been written back. This ECU's VIN cannot be read "
    "(an erase leaves none), so it may be that ECU.";
inline constexpr const char* InterruptedRunQuestion =
    "Is this that ECU? Yes: its saved data is written back after programming. No: it is programmed with the "
    "data read from it now.";
inline constexpr const char* JournalHeading = "Journal:";
inline constexpr const char* ThisEcuHeading = "This ECU:";
inline constexpr const char* JournalLeftUnused = "An unfinished journal of another ECU was left unused: ";
inline constexpr const char* JournalRestoring = "Writing back the data saved by the run of ";
inline constexpr const char* JournalUnusable = "A journal cannot be used: ";
inline constexpr const char* JournalKeptAs = "It has been kept as ";

// An unattended run that cannot tell whether this is the interrupted ECU.
inline constexpr const char* MaybeInterruptedEcu =
    "This ECU's VIN cannot be read (an erase leaves none), and an update was interrupted before the data of "
    "the ECU it read had been written back. The journal of that update: ";
inline constexpr const char* WaysOn =
    "If this is that ECU, run again with --resume and the journal's path; if it is not, run again with "
    "--no-resume.";
inline constexpr const char* NotProgrammedMaybeInterrupted =
    "Not programmed - this may be the ECU of an interrupted update";

// A journal the operator named.
inline constexpr const char* NamedJournalUnusable = "Not programmed - the journal named cannot be used";
inline constexpr const char* NamedJournalOfAnotherEcu = "Not programmed - the journal named is of another ECU";
inline constexpr const char* JournalOfAnotherEcu = "The journal holds the data of another ECU: ";
inline constexpr const char* JournalFinished = "its update finished: the ECU holds that data";
inline constexpr const char* JournalSuperseded = "a later run holds its data, or the ECU holds it again";
inline constexpr const char* JournalErasedNothing = "its run erased nothing: the ECU still holds its data";
inline constexpr const char* JournalWrittenBack = "its data was written back to the ECU already";

// An ECU whose identification reads erased: only an interrupted run's journal can tell what it is.
inline constexpr const char* BlankEcuNeedsJournal =
    "This ECU's identification reads erased: an update was cut off before it was programmed again, and only "
    "that update's journal tells which firmware it needs. Run again and answer Yes when asked, or with "
    "--resume and the path of this journal: ";
inline constexpr const char* JournalOlderThanHistory =
    "The ECU's programming history has an entry dated after the run of this journal, so the ECU may have been "
    "programmed since and its data may be newer than the journal's: ";

// More than one interrupted update may be this ECU's: never chosen by time.
inline constexpr const char* SeveralInterruptedRuns =
    "More than one interrupted update may have been of this ECU. Their journals:";
inline constexpr const char* PickJournalQuestion = "Write back the data saved by journal ";
inline constexpr const char* WaysOnSeveral =
    "Run again with --resume and the path of this ECU's journal, or with --no-resume if none of them is this "
    "ECU's.";
inline constexpr const char* NotProgrammedSeveralJournals = "Not programmed - several journals may be this ECU's";

// A journal accepted that this run cannot lock for itself.
inline constexpr const char* JournalTakenMeanwhile = "Another run has taken this journal meanwhile: ";
inline constexpr const char* JournalCannotBeLocked = "This journal cannot be locked for the run: ";
inline constexpr const char* FolderCannotHoldJournals =
    "Locks do not work in this folder, so it cannot hold journals safely: ";
inline constexpr const char* NotProgrammedJournalNotHeld =
    "Not programmed - the journal could not be locked for this run";

// A journal that may be this ECU's is held by another running update: it cannot be read now.
inline constexpr const char* JournalOfThisEcuInUse =
    "Another running update holds a journal that may hold this ECU's data:";
inline constexpr const char* WaitForTheOtherRun =
    "Let that update end (or close its program), then run again. If this ECU is not that update's, run again "
    "with --no-resume.";
inline constexpr const char* NotProgrammedJournalInUse =
    "Not programmed - a journal that may be this ECU's is in use by another run";

inline constexpr const char* JournalImageDiffers =
    "The journal was saved for another firmware image than this ECU's identity selects: ";
}  // namespace Text

#pragma once

// Texts of the debug information file, exactly as the operator sees them.
namespace Text {
inline constexpr const char* ChooseDebugFileTitle = "choose or create an updater file for debug information .....";
inline constexpr const char* Cancelled = "Cancelled";
// The file name and the system's reason follow on lines of their own.
inline constexpr const char* DebugFileNotSaved = "The debug information could not be saved to the file:";
}  // namespace Text

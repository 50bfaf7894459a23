#pragma once

// What the console program says of its own, beside the dialog's texts.
namespace Text {
inline constexpr const char* InterruptWhileChanging =
    "The ECU is being programmed: stopping now would leave it without a working program. The update goes on; "
    "press Ctrl-C again within 5 s to stop it anyway.";
inline constexpr const char* QuitWhileChanging =
    "The ECU is being programmed: stopping now would leave it without a working program. The update goes on; "
    "press Ctrl-\\ again within 5 s to stop it anyway.";
inline constexpr const char* SuspendWhileChanging =
    "Not suspended: the ECU is being programmed, and suspending now would stop the update.";
}  // namespace Text

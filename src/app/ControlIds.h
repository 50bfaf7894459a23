#pragma once

// Control ids of the main dialog and the ids of its two timers.
namespace ControlId {
inline constexpr int Proceed = 3;
inline constexpr int StatusLine = 1003;
inline constexpr int DateValue = 1005;
inline constexpr int TimeValue = 1006;
inline constexpr int VersionValue = 1007;
inline constexpr int VersionLabel = 1008;
inline constexpr int TimeLabel = 1009;
inline constexpr int DateLabel = 1010;
inline constexpr int BusyIndicator = 1014;
inline constexpr int RadioGen1_2M = 1016;
inline constexpr int RadioGen2 = 1017;
inline constexpr int RadioGen1_3M = 1018;
}  // namespace ControlId

// The six read-only ECU information boxes, in the order they are shown and hidden.
inline constexpr int kEcuFieldIds[] = {ControlId::DateLabel, ControlId::DateValue,    ControlId::TimeLabel,
                                       ControlId::TimeValue, ControlId::VersionLabel, ControlId::VersionValue};

namespace TimerId {
inline constexpr int Scheduler = 1100;
inline constexpr int Connection = 1101;
}  // namespace TimerId

inline constexpr unsigned kSchedulerPeriodMs = 50;
inline constexpr unsigned kConnectionPeriodMs = 250;

// System-menu command of the About entry.
inline constexpr int kAboutCommandId = 0x10;

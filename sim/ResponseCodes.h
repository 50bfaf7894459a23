#pragma once

#include <cstdint>

namespace sim {

// Negative response codes of KWP2000 that this ECU gives.
namespace Nrc {
inline constexpr uint8_t ServiceNotSupported = 0x11;
inline constexpr uint8_t SubFunctionNotSupported = 0x12;  // also: invalid format (wrong length)
inline constexpr uint8_t BusyRepeatRequest = 0x21;
inline constexpr uint8_t ConditionsNotCorrect = 0x22;     // also: request sequence error
inline constexpr uint8_t RoutineNotComplete = 0x23;
inline constexpr uint8_t RequestOutOfRange = 0x31;
inline constexpr uint8_t SecurityAccessDenied = 0x33;
inline constexpr uint8_t InvalidKey = 0x35;
inline constexpr uint8_t RequiredTimeDelayNotExpired = 0x37;
inline constexpr uint8_t ResponsePending = 0x78;
inline constexpr uint8_t NotInActiveSession = 0x80;
} // namespace Nrc

inline constexpr uint8_t kNegativeResponse = 0x7F;
inline constexpr uint8_t kPositiveOffset = 0x40;

} // namespace sim

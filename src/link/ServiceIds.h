#pragma once

#include <cstdint>

// The services on the line by name: the KWP2000 services the program asks for, the adapter's own
// commands, and the negative response codes an ECU answers with. Shared with the simulated ECU.
namespace Sid {
inline constexpr uint8_t StartSession = 0x10;
inline constexpr uint8_t EcuReset = 0x11;
inline constexpr uint8_t ClearDiagnostics = 0x14;
inline constexpr uint8_t ReadIdentification = 0x1A;
inline constexpr uint8_t StopSession = 0x20;
inline constexpr uint8_t ReadLocalData = 0x21;
inline constexpr uint8_t SecurityAccess = 0x27;
inline constexpr uint8_t StartRoutine = 0x31;
inline constexpr uint8_t WriteLocalData = 0x3B;
inline constexpr uint8_t WriteMemory = 0x3D;
}  // namespace Sid

// Local identifiers the session reads by name; the snapshot's records are named by their table.
namespace LocalId {
inline constexpr uint8_t SoftwareDate = 0x60;
inline constexpr uint8_t SoftwareTime = 0x61;
inline constexpr uint8_t SoftwareVersion = 0x64;
inline constexpr uint8_t History = 0x69;
inline constexpr uint8_t Checksum = 0x83;
inline constexpr uint8_t ModelCode = 0xAC;
}  // namespace LocalId

// The adapter's own commands; its version answer follows the positive-answer rule (0x90 + 0x40).
inline constexpr uint8_t kAdapterVersionRequest = 0x90;
inline constexpr uint8_t kAdapterSpeedSwitch = 0x94;

inline constexpr uint8_t kPositiveOffset = 0x40;
inline constexpr uint8_t kNegativeAnswer = 0x7F;

// The identifier of a positive answer to a service.
constexpr uint8_t Positive(uint8_t service) { return static_cast<uint8_t>(service + kPositiveOffset); }
inline constexpr uint8_t kAdapterAnswer = Positive(kAdapterVersionRequest);

// Negative response codes.
namespace Nrc {
inline constexpr uint8_t ServiceNotSupported = 0x11;
inline constexpr uint8_t SubFunctionNotSupported = 0x12;  // also: invalid format (wrong length)
inline constexpr uint8_t BusyRepeatRequest = 0x21;
inline constexpr uint8_t ConditionsNotCorrect = 0x22;  // also: request sequence error
inline constexpr uint8_t RoutineNotComplete = 0x23;
inline constexpr uint8_t RequestOutOfRange = 0x31;
inline constexpr uint8_t SecurityAccessDenied = 0x33;
inline constexpr uint8_t InvalidKey = 0x35;
inline constexpr uint8_t RequiredTimeDelayNotExpired = 0x37;
inline constexpr uint8_t ResponsePending = 0x78;
inline constexpr uint8_t NotInActiveSession = 0x80;
}  // namespace Nrc

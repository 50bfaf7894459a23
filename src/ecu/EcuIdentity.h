#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// A VIN the program can rely on: 17 characters of the VIN alphabet (digits, upper-case letters but
// I, O and Q), not one character repeated. An erase leaves none, nor has an ECU never given one.
bool IsValidVin(std::span<const uint8_t, 17> vin);

// Who an ECU is, as read from its records: known when its VIN is valid, and then its VIN with its
// hardware serial.
struct EcuIdentity {
    std::array<uint8_t, 17> vin{};
    std::array<uint8_t, 4> hardwareSerial{};

    bool Known() const { return IsValidVin(vin); }
};

// The same ECU: both identities known, with the same VIN and hardware serial. Two unknown
// identities never match, blank against blank included.
bool SameEcu(const EcuIdentity& a, const EcuIdentity& b);

// For the operator, on two lines: "VIN: …" (or that it has none) and "HW serial: …".
std::string DescribeIdentity(const EcuIdentity& identity);

#include "ecu/EcuIdentity.h"

#include <algorithm>

#include "ecu/RecordTexts.h"

namespace {

bool InVinAlphabet(uint8_t c) {
    if (c >= '0' && c <= '9') return true;
    return c >= 'A' && c <= 'Z' && c != 'I' && c != 'O' && c != 'Q';
}

}  // namespace

bool IsValidVin(std::span<const uint8_t, 17> vin) {
    if (!std::all_of(vin.begin(), vin.end(), InVinAlphabet)) return false;
    return std::any_of(vin.begin(), vin.end(), [&](uint8_t c) { return c != vin[0]; });
}

bool SameEcu(const EcuIdentity& a, const EcuIdentity& b) {
    return a.Known() && b.Known() && a.vin == b.vin && a.hardwareSerial == b.hardwareSerial;
}

std::string DescribeIdentity(const EcuIdentity& identity) {
    const std::string vin = identity.Known() ? VinText(identity.vin) : "none readable (blank or erased)";
    return "VIN: " + vin + "\nHW serial: " + HardwareSerialText(identity.hardwareSerial);
}

#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Prng.h"
#include "RecordCatalogue.h"

namespace sim {

// A valid VIN (17 characters of the VIN alphabet, not one repeated) made from the prng, each
// character other than the factory value's byte at its place.
std::vector<uint8_t> SeededVin(Prng& prng);

// The values of every record of the catalogue, as the ECU keeps them outside its flash areas.
class RecordStore {
public:
    // Values of an ECU that has been in use: every byte differs from its factory value, so a
    // record left unrestored after a base erase shows; 21 17 and 21 33 carry what the program's
    // read repairs mend; the history holds used and free entries.
    explicit RecordStore(Prng& prng);

    // What reprogramming the base area leaves: factory values, except the read-only tails.
    void ResetToFactory();

    std::span<uint8_t> Of(const RecordLayout& record);
    std::span<const uint8_t> Of(const RecordLayout& record) const;
    // One block of a block record, or the whole of a single record (block ignored).
    std::span<uint8_t> Block(const RecordLayout& record, uint8_t block);

    // The VIN (identification option 0x90) and hardware serial (0x92): who the ECU says it is.
    std::span<uint8_t> Vin();
    std::span<uint8_t> HardwareSerial();

    // The record's factory value, as ResetToFactory leaves it (read-only tail aside).
    static std::vector<uint8_t> Factory(const RecordLayout& record);

private:
    std::vector<std::vector<uint8_t>> values_;  // in catalogue order
};

}  // namespace sim

#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "Prng.h"
#include "RecordCatalogue.h"

namespace sim {

// The values of every record of the catalogue, as the ECU keeps them outside its flash areas.
class RecordStore {
public:
    // Values of an ECU that has been in use: drawn from `prng`, with a few used history entries.
    explicit RecordStore(Prng& prng);

    // What reprogramming the base area leaves: factory values, except the read-only tails.
    void ResetToFactory();

    std::span<uint8_t> Of(const RecordLayout& record);
    std::span<const uint8_t> Of(const RecordLayout& record) const;
    // One block of a block record, or the whole of a single record (block ignored).
    std::span<uint8_t> Block(const RecordLayout& record, uint8_t block);

private:
    std::vector<std::vector<uint8_t>> values_;  // in catalogue order
};

} // namespace sim

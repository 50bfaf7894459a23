#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultAction {
    Drop,           // the request is handled, its answer never leaves
    Delay,          // the answer leaves `ms` later
    Corrupt,        // the answer leaves with a wrong frame checksum
    Negative,       // 7F service `code` instead of handling the request (0x78: handled `ms` later)
    WrongEcho,      // a write-memory answer echoes another address
    WrongChecksum,  // a checksum answer carries a wrong CRC
    Cut,            // the line goes dead from this request on, both ways
    Unplug,         // as Cut, and the adapter is gone (ecu-sim closes its pseudo-terminal)
    SilentAdapter,  // the adapter never answers nor passes anything on
};

// One --fault: what happens to which requests. Requests are matched by the first bytes of
// their payload; among the matching ones, the nth and the next count-1 (or every one from the
// nth on), each hit only with the given chance when random.
struct FaultRule {
    FaultAction action = FaultAction::Drop;
    uint8_t code = 0;
    uint32_t ms = 0;
    std::vector<uint8_t> match;  // empty: every request
    uint32_t nth = 1;
    uint32_t count = 1;
    bool always = false;
    uint32_t randomPercent = 0;  // 0: every selected request is hit
    std::string text;            // as written
};

bool ParseFaultRule(std::string_view text, FaultRule& out, std::string& error);

// The grammar, for --help.
const char* FaultGrammar();

} // namespace sim

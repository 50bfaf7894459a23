#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultAction {
    Drop,            // the request is handled, its answer never leaves
    Delay,           // the answer leaves `ms` later
    Corrupt,         // the answer leaves with a wrong frame checksum
    Negative,        // 7F service `code` instead of handling the request (0x78: handled later, see repeat)
    WrongEcho,       // a write-memory answer echoes another address
    WrongChecksum,   // a checksum answer carries a wrong CRC
    Status,          // the status byte of the 21 BD answer is `code`
    JunkBefore,      // `bytes` on the line right before the answer
    JunkAfter,       // `bytes` on the line right after the answer
    Duplicate,       // the answer twice, back to back
    Glue,            // the answer waits and leaves glued to the front of the next one
    Truncate,        // only the first `length` bytes of the answer's frame leave
    BadCopy,         // a copy of the answer with a wrong frame checksum, then the answer
    UnknownService,  // the answer leaves with `code` as its service identifier
    Cut,             // the line goes dead from this request on, both ways
    Unplug,          // as Cut, and the adapter is gone (ecu-sim closes its pseudo-terminal)
    SilentAdapter,   // the adapter swallows the request: no answer, nothing passed on
    Stray,           // while the ECU works on the request (an erase), a whole frame of `bytes` that
                     // answers nothing: a frame of unknown service, or a refusal naming another one
};

// One --fault: what happens to which requests. Requests are matched by the first bytes of
// their payload; among the matching ones, the nth and the next count-1 (or every one from the
// nth on), each hit only with the given chance when random.
struct FaultRule {
    FaultAction action = FaultAction::Drop;
    uint8_t code = 0;
    uint32_t ms = 0;
    std::vector<uint8_t> bytes;      // junk for JunkBefore / JunkAfter; the payload of a Stray frame
    uint32_t length = 0;             // Truncate: bytes of the frame that leave; 0: all but the last
    std::optional<uint8_t> service;  // Negative: the service the answer names instead of the request's
    uint32_t repeat = 1;             // Negative 0x78: pending answers before the real one
    bool onPending = false;          // acts on the request's 7F xx 78 answer instead of its final one
    std::vector<uint8_t> match;      // empty: every request
    uint32_t nth = 1;
    uint32_t count = 1;
    bool always = false;
    uint32_t randomPercent = 0;  // 0: every selected request is hit
    std::string text;            // as written
};

bool ParseFaultRule(std::string_view text, FaultRule& out, std::string& error);

// The grammar, for --help.
const char* FaultGrammar();

}  // namespace sim

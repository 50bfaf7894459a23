#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "link/RequestTable.h"

// What the gate makes of a whole frame before any handler sees it. Only Accepted reaches the
// handlers; every other verdict is counted and named in the wire trace.
enum class ResponseVerdict {
    Accepted,
    NoFrame,             // too short to carry a response (a lone 00, 01 01): the sum proves nothing
    WrongSum,            // damaged on the line
    NothingOutstanding,  // no request awaits an answer
    UnknownService,      // not an answer of this program's services: the line is purged
    NotTheAnswer,        // answers another request than the one outstanding (a copy, another service named)
    TooShortForLayout,   // the answer outstanding, without the bytes its layout needs: asked again
    // TooShortForLayout stays the last: the count below is taken from it.
};
// How many verdicts there are: the size of the dropped-frame counters they index.
inline constexpr std::size_t kResponseVerdicts = static_cast<std::size_t>(ResponseVerdict::TooShortForLayout) + 1;

const char* VerdictName(ResponseVerdict verdict);

// The request a response may answer.
struct OutstandingRequest {
    bool awaited = false;         // sent, and not yet answered or timed out
    uint8_t service = 0;          // its service identifier, or the adapter's command
    std::size_t answerBytes = 0;  // bytes before the checksum its positive answer needs at least
    // The ECU said "response pending" to a memory write: that write's final answer may still come,
    // also while another request is out.
    bool memoryWriteAnswerDue = false;
};

// The outstanding request for a row of the table: its service and the shortest positive answer
// its layout allows (a snapshot read needs its whole record, a seed its two bytes, ...).
OutstandingRequest OutstandingFor(int row);

// The service a frame answers: its own less the positive offset, or the one a refusal names (0 when
// a refusal names none).
uint8_t AnsweredService(std::span<const uint8_t> frame);

// Judges a whole frame (length byte, payload, checksum) against what is outstanding. Pure.
ResponseVerdict ValidateResponse(std::span<const uint8_t> frame, const OutstandingRequest& outstanding);

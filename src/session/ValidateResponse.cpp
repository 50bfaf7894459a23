#include "session/ValidateResponse.h"

#include "ecu/SnapshotRecords.h"
#include "link/Framing.h"
#include "link/ServiceIds.h"

namespace {

constexpr std::size_t kNegativeAnswerBytes = 4;     // 7F, the service refused, the code
constexpr std::size_t kMemoryWriteAnswerBytes = 5;  // 7D and the address echoed

// The shortest frame (bytes before the checksum) each answer needs for its layout.
std::size_t ShortestAnswer(uint8_t answer) {
    switch (answer) {
    case Positive(Sid::StartSession):
    case Positive(Sid::ReadIdentification):
    case Positive(Sid::ReadLocalData):
    case Positive(Sid::SecurityAccess):
    case Positive(Sid::StartRoutine):
    case Positive(Sid::WriteLocalData): return 3;
    case Positive(Sid::WriteMemory): return kMemoryWriteAnswerBytes;
    case kAdapterAnswer: return 6;  // three digits after an unused byte
    default: return 2;
    }
}

// Identifiers outside the answers' range: a frame of no service of ours. One inside it that is not
// the answer outstanding is a copy or another request's answer, dropped without touching the line.
bool InAnswerRange(uint8_t service) {
    return (service >= Positive(Sid::StartSession) && service <= Positive(Sid::WriteMemory)) ||
           service == kAdapterAnswer;
}

}  // namespace

const char* VerdictName(ResponseVerdict verdict) {
    switch (verdict) {
    case ResponseVerdict::Accepted: return "accepted";
    case ResponseVerdict::NoFrame: return "no frame";
    case ResponseVerdict::WrongSum: return "wrong sum";
    case ResponseVerdict::NothingOutstanding: return "nothing outstanding";
    case ResponseVerdict::UnknownService: return "unknown service";
    case ResponseVerdict::NotTheAnswer: return "not the answer outstanding";
    case ResponseVerdict::TooShortForLayout: return "too short for its layout";
    }
    return "?";
}

OutstandingRequest OutstandingFor(int row) {
    OutstandingRequest out;
    if (row < 0 || row >= kRequestRowCount) return out;
    out.service = ServiceOfRow(row);
    out.answerBytes = ShortestAnswer(Positive(out.service));
    if (const SnapshotRecord* record = RecordForReadRow(row))
        out.answerBytes = 3u + record->replyOffset + record->width;  // the whole record or block
    switch (row) {
    case Row::SeedLevel5:
    case Row::SeedLevel7:
    case Row::BaseChecksum:
    case Row::UpperChecksum:
        out.answerBytes = 5;  // the seed, the checksum: two bytes
        break;
    case Row::ModelCode:
        out.answerBytes = 6;  // an unused byte, the model code, the variant
        break;
    default: break;
    }
    return out;
}

uint8_t AnsweredService(std::span<const uint8_t> frame) {
    if (frame.size() < 2) return 0;
    if (frame[1] != kNegativeAnswer) return static_cast<uint8_t>(frame[1] - kPositiveOffset);
    return frame.size() > 3 && frame[0] >= 3 ? frame[2] : 0;
}

ResponseVerdict ValidateResponse(std::span<const uint8_t> frame, const OutstandingRequest& outstanding) {
    if (frame.size() < 3 || frame[0] < 2 || frame.size() != std::size_t{frame[0]} + 1u) return ResponseVerdict::NoFrame;
    const std::size_t length = frame[0];
    if (ByteSum(frame.data(), static_cast<uint32_t>(length)) != frame[length]) return ResponseVerdict::WrongSum;
    if (!outstanding.awaited && !outstanding.memoryWriteAnswerDue) return ResponseVerdict::NothingOutstanding;

    const uint8_t service = frame[1];
    const bool negative = service == kNegativeAnswer;
    if (!negative && !InAnswerRange(service)) return ResponseVerdict::UnknownService;
    const uint8_t answered = AnsweredService(frame);
    const bool finalMemoryWriteAnswer = outstanding.memoryWriteAnswerDue && answered == Sid::WriteMemory;
    if (!finalMemoryWriteAnswer && !(outstanding.awaited && answered == outstanding.service))
        return ResponseVerdict::NotTheAnswer;

    std::size_t needed = outstanding.answerBytes;
    if (negative)
        needed = kNegativeAnswerBytes;
    else if (finalMemoryWriteAnswer)
        needed = kMemoryWriteAnswerBytes;
    return length >= needed ? ResponseVerdict::Accepted : ResponseVerdict::TooShortForLayout;
}

// Reads and writes by identifier: identification options, local identifiers, the info block
// and the area checksums.
#include <algorithm>

#include "Ecu.h"
#include "firmware/InfoBlock.h"
#include "link/Framing.h"
#include "link/ServiceIds.h"

namespace sim {

namespace {

// The records of `service`'s identifier `id`: all of them share its addressing.
std::vector<const RecordLayout*> RecordsOf(uint8_t id, std::optional<uint8_t> service) {
    std::vector<const RecordLayout*> found;
    for (const RecordLayout& r : RecordCatalogue())
        if (r.id == id && (!service || r.readService == *service)) found.push_back(&r);
    return found;
}

struct Addressed {
    const RecordLayout* record = nullptr;
    uint8_t block = 0;
    uint8_t code = 0;  // negative response code when record is null
};

// Which record (and block) a request names after its identifier; `params` starts after it.
// `exact` requires the request to end there, as reads do.
Addressed Address(const std::vector<const RecordLayout*>& records, std::span<const uint8_t> params, bool exact) {
    if (records.empty()) return {nullptr, 0, Nrc::SubFunctionNotSupported};
    const Addressing addressing = records.front()->addressing;
    if (addressing == Addressing::Plain) {
        if (exact && !params.empty()) return {nullptr, 0, Nrc::SubFunctionNotSupported};
        return {records.front()};
    }
    if (params.empty() || (exact && params.size() != 1)) return {nullptr, 0, Nrc::SubFunctionNotSupported};
    if (addressing == Addressing::Block) {
        if (!HasBlock(*records.front(), params[0])) return {nullptr, 0, Nrc::RequestOutOfRange};
        return {records.front(), params[0]};
    }
    for (const RecordLayout* r : records)
        if (r->sub == params[0]) return {r};
    return {nullptr, 0, Nrc::SubFunctionNotSupported};
}

}  // namespace

EcuAnswer Ecu::ReadIdentification(std::span<const uint8_t> request) {
    if (request.size() < 2) return {Negative(Sid::ReadIdentification, Nrc::SubFunctionNotSupported)};
    return ReadRecord(request);
}

EcuAnswer Ecu::ReadLocal(std::span<const uint8_t> request) {
    if (request.size() < 2) return {Negative(Sid::ReadLocalData, Nrc::SubFunctionNotSupported)};
    switch (request[1]) {
    case LocalId::SoftwareDate:
    case LocalId::SoftwareTime:
    case LocalId::SoftwareVersion:
    case LocalId::ModelCode: return ReadInfoBlock(request);
    case LocalId::Checksum: return ReadChecksum(request);
    case kHistoryId:
        if (options_.noHistory) return {Negative(Sid::ReadLocalData, Nrc::SubFunctionNotSupported)};
        return ReadRecord(request);
    default: return ReadRecord(request);
    }
}

EcuAnswer Ecu::ReadInfoBlock(std::span<const uint8_t> request) {
    if (request.size() != 2) return {Negative(Sid::ReadLocalData, Nrc::SubFunctionNotSupported)};
    const auto cells = flash_.Bytes();
    Bytes reply{Positive(Sid::ReadLocalData), request[1]};
    const auto text = [&](uint32_t offset, uint32_t length) {
        reply.insert(reply.end(), cells.begin() + offset, cells.begin() + offset + length);
        reply.push_back(0);
    };
    switch (request[1]) {
    case LocalId::SoftwareDate: text(InfoBlock::DateOffset, InfoBlock::DateLength); break;
    case LocalId::SoftwareTime: text(InfoBlock::TimeOffset, InfoBlock::TimeLength); break;
    case LocalId::SoftwareVersion: text(InfoBlock::VersionOffset, InfoBlock::VersionLength); break;
    default:
        reply.push_back(0x00);
        reply.push_back(cells[InfoBlock::ModelCodeOffset]);
        reply.push_back(cells[InfoBlock::VariantOffset]);
    }
    return {reply};
}

EcuAnswer Ecu::ReadChecksum(std::span<const uint8_t> request) {
    if (request.size() != 3 || request[2] > 0x01) return {Negative(Sid::ReadLocalData, Nrc::SubFunctionNotSupported)};
    if (!InDiagnosticOrProgramming()) return {Negative(Sid::ReadLocalData, Nrc::NotInActiveSession)};
    const uint16_t crc = flash_.Crc(request[2] == 0x00 ? FlashArea::Base : FlashArea::Upper);
    return {
        {Positive(Sid::ReadLocalData), LocalId::Checksum, static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)}};
}

EcuAnswer Ecu::ReadRecord(std::span<const uint8_t> request) {
    const uint8_t service = request[0];
    if (!InDiagnosticOrProgramming()) return {Negative(service, Nrc::NotInActiveSession)};
    const Addressed a = Address(RecordsOf(request[1], service), request.subspan(2), true);
    if (!a.record) return {Negative(service, a.code)};
    const RecordLayout& r = *a.record;
    Bytes reply{Positive(service), r.id};
    switch (r.form) {
    case ReplyForm::Data: break;
    case ReplyForm::EchoParam: reply.push_back(request[2]); break;
    case ReplyForm::StatusFirst: reply.push_back(0x00); break;
    case ReplyForm::LengthFirst: reply.push_back(static_cast<uint8_t>(r.width)); break;
    }
    const auto bytes = records_.Block(r, a.block);
    reply.insert(reply.end(), bytes.begin(), bytes.end());
    return {reply};
}

EcuAnswer Ecu::WriteLocal(std::span<const uint8_t> request) {
    if (request.size() < 2) return {Negative(Sid::WriteLocalData, Nrc::SubFunctionNotSupported)};
    if (options_.noHistory && request[1] == kHistoryId)
        return {Negative(Sid::WriteLocalData, Nrc::SubFunctionNotSupported)};
    if (!InDiagnosticOrProgramming()) return {Negative(Sid::WriteLocalData, Nrc::NotInActiveSession)};
    const Addressed a = Address(RecordsOf(request[1], std::nullopt), request.subspan(2), false);
    if (!a.record) return {Negative(Sid::WriteLocalData, a.code)};
    const RecordLayout& r = *a.record;
    const auto data = request.subspan(r.addressing == Addressing::Plain ? 2 : 3);
    const std::size_t expected = r.writeLength + (r.writeSum ? 1u : 0u);
    if (data.size() != expected) {
        EcuAnswer refused{Negative(Sid::WriteLocalData, Nrc::SubFunctionNotSupported)};
        refused.violation = "3B " + RecordName(r).substr(3) + " carries " + std::to_string(data.size()) +
                            " data bytes, not " + std::to_string(expected);
        return refused;
    }
    if (r.writeSum && ByteSum(data.data(), r.writeLength) != data[r.writeLength]) {
        EcuAnswer refused{Negative(Sid::WriteLocalData, Nrc::RequestOutOfRange)};
        refused.violation = "3B " + RecordName(r).substr(3) + " carries a wrong record sum";
        return refused;
    }
    const auto target = records_.Block(r, a.block);
    std::copy_n(data.begin(), r.writeLength, target.begin());
    return {{Positive(Sid::WriteLocalData), r.id}};
}

}  // namespace sim

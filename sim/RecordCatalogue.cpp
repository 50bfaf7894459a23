#include "RecordCatalogue.h"

#include <array>
#include <cstdio>

namespace sim {

namespace {

constexpr RecordLayout Ident(uint8_t id, uint16_t width) {
    return {0x1A, id, Addressing::Plain, 0, width, 0, ReplyForm::Data, static_cast<uint8_t>(width), false, 0};
}
constexpr RecordLayout Local(uint8_t id, uint16_t width) {
    return {0x21, id, Addressing::Plain, 0, width, 0, ReplyForm::Data, static_cast<uint8_t>(width), false, 0};
}
constexpr RecordLayout LocalSub(uint8_t id, uint8_t sub, uint16_t width, ReplyForm form) {
    return {0x21, id, Addressing::Sub, sub, width, 0, form, static_cast<uint8_t>(width), false, 0};
}
constexpr RecordLayout Blocks(uint8_t id, uint16_t width, uint16_t count, ReplyForm form) {
    return {0x21, id, Addressing::Block, 0, width, count, form, static_cast<uint8_t>(width), false, 0};
}
constexpr RecordLayout WithSum(RecordLayout r) {
    r.writeSum = true;
    return r;
}

constexpr auto kCatalogue = std::to_array<RecordLayout>({
    Ident(0x40, 10),
    Ident(0x41, 10),
    Ident(0x42, 10),
    Ident(0x43, 10),
    Ident(0x44, 10),
    Ident(0x45, 10),
    Ident(0x46, 10),
    Ident(0x47, 10),
    Ident(0x48, 10),
    Ident(0x49, 10),
    Ident(0x4A, 10),
    Ident(0x4B, 10),
    // Read with 17 bytes; its last 6 are fixed in this ECU, so a write carries the first 11.
    RecordLayout{0x1A, 0x4C, Addressing::Plain, 0, 17, 0, ReplyForm::Data, 11, false, 6},
    Ident(0x4D, 18),
    Ident(0x4E, 4),
    Ident(0x4F, 31),
    Ident(0x88, 30),
    Ident(0x8A, 8),
    Ident(0x90, 17),
    Ident(0x91, 13),
    Ident(0x92, 4),
    Ident(0x94, 4),
    Ident(0x99, 6),
    Local(0x12, 5),
    Local(0x14, 3),
    Local(0x15, 5),
    WithSum(Local(0x17, 14)),
    Blocks(0x1A, 16, 100, ReplyForm::EchoParam),
    Local(0x1C, 12),
    Local(0x1D, 8),
    LocalSub(0x1E, 0x00, 5, ReplyForm::EchoParam),
    LocalSub(0x1E, 0x01, 5, ReplyForm::EchoParam),
    LocalSub(0x1F, 0x02, 6, ReplyForm::Data),
    Local(0x20, 8),
    Local(0xC1, 8),
    Local(0x23, 3),
    Blocks(0x24, 64, 10, ReplyForm::EchoParam),
    Local(0x25, 5),
    Local(0x26, 6),
    Local(0x2C, 6),
    Local(0x2E, 10),
    Local(0x32, 5),
    Local(0x33, 10),
    Local(0x36, 2),
    Local(0x38, 9),
    Blocks(0x39, 16, 256, ReplyForm::EchoParam),
    Local(0x3A, 16),
    Blocks(0x65, 16, 10, ReplyForm::Data),
    Blocks(kHistoryId, 16, 10, ReplyForm::Data),
    Local(0x6A, 11),
    Local(0x6D, 2),
    Local(0x70, 4),
    Local(0x71, 4),
    Local(0x72, 4),
    Local(0x73, 4),
    Local(0x74, 4),
    Local(0x75, 4),
    Local(0x76, 4),
    Local(0x77, 4),
    Local(0x78, 4),
    Local(0x79, 16),
    WithSum(RecordLayout{0x21, 0x7C, Addressing::Plain, 0, 40, 0, ReplyForm::LengthFirst, 40, false, 0}),
    Blocks(0x84, 16, 10, ReplyForm::Data),
    Blocks(0x85, 16, 10, ReplyForm::Data),
    Local(0x86, 9),
    Local(0x89, 5),
    Local(0xAD, 9),
    Local(0xAE, 6),
    Local(0xAF, 9),
    LocalSub(0xB8, 0x00, 20, ReplyForm::Data),
    LocalSub(0xB8, 0x01, 20, ReplyForm::Data),
    LocalSub(0xB8, 0x02, 20, ReplyForm::Data),
    LocalSub(0xB8, 0x10, 20, ReplyForm::Data),
    LocalSub(0xB8, 0x20, 20, ReplyForm::Data),
    LocalSub(0xB1, 0x00, 16, ReplyForm::Data),
    LocalSub(0xB1, 0x01, 3, ReplyForm::Data),
    Local(0xBA, 11),
    LocalSub(0xBD, 0x00, 4, ReplyForm::StatusFirst),
    Local(0xBE, 12),
});

}  // namespace

std::span<const RecordLayout> RecordCatalogue() { return kCatalogue; }

bool HasBlock(const RecordLayout& record, uint8_t block) {
    if (record.addressing != Addressing::Block || block >= record.blockCount) return false;
    return record.id != 0x39 || block < 64 || block >= 128;
}

std::size_t StoredSize(const RecordLayout& record) {
    return record.addressing == Addressing::Block ? std::size_t{record.width} * record.blockCount : record.width;
}

std::string RecordName(const RecordLayout& record) {
    char text[16];
    if (record.addressing == Addressing::Sub)
        std::snprintf(text, sizeof text, "%02X %02X %02X", record.readService, record.id, record.sub);
    else
        std::snprintf(text, sizeof text, "%02X %02X", record.readService, record.id);
    return text;
}

}  // namespace sim

#include "SRecordWriter.h"

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t kDataBytesPerRecord = 28;

void AppendRecord(std::string& text, char type, uint32_t address, int addressBytes, const uint8_t* data,
                  uint32_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::vector<uint8_t> body;
    body.push_back(static_cast<uint8_t>(addressBytes + count + 1));
    for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8)
        body.push_back(static_cast<uint8_t>(address >> shift));
    body.insert(body.end(), data, data + count);
    uint8_t sum = 0;
    for (uint8_t b : body) sum = static_cast<uint8_t>(sum + b);
    body.push_back(static_cast<uint8_t>(~sum));

    text += 'S';
    text += type;
    for (uint8_t b : body) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    text += "\r\n";
}

}  // namespace

std::string WriteSRecordText(const FirmwareImage& image, std::string_view header) {
    std::string text;
    AppendRecord(text, '0', 0, 2, reinterpret_cast<const uint8_t*>(header.data()),
                 static_cast<uint32_t>(header.size()));
    uint32_t records = 0;
    for (const DataSegment& segment : image.segments) {
        for (uint32_t done = 0; done < segment.length; done += kDataBytesPerRecord) {
            const uint32_t count = std::min(kDataBytesPerRecord, segment.length - done);
            AppendRecord(text, '3', segment.start + done, 4, &image.bytes[segment.start + done], count);
            ++records;
        }
    }
    AppendRecord(text, '5', records, 4, nullptr, 0);
    AppendRecord(text, '7', 0, 4, nullptr, 0);
    return text;
}

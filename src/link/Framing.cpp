#include "link/Framing.h"

uint8_t ByteSum(const uint8_t* area, uint32_t count) {
    uint8_t sum = 0;
    for (uint32_t i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + area[i]);
    return sum;
}

void FrameChecksum(uint8_t (&body)[256]) { body[body[0]] = ByteSum(body, body[0]); }

void RecordSum(uint8_t* area, uint8_t count) { area[count] = ByteSum(area, count); }

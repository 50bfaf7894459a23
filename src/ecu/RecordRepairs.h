#pragma once

#include <cstdint>

// Repairs made to two records as they are read, before they are written back.

// 21 17, 14 bytes: an empty pair 2-3 takes the values of 0-1; an empty byte 5 that of byte 4.
void RepairRecord17(uint8_t* record);

// 21 33, 10 bytes: bytes 4 and 6 set to 0xFF, byte 9 the sum of bytes 0 to 8.
void RepairRecord33(uint8_t* record);

#include "ecu/RecordRepairs.h"

void RepairRecord17(uint8_t* record) {
    if (record[2] == 0 && record[3] == 0) {
        record[2] = record[0];
        record[3] = record[1];
    }
    if (record[5] == 0) record[5] = record[4];
}

void RepairRecord33(uint8_t* record) {
    record[4] = 0xFF;
    record[6] = 0xFF;
    uint8_t sum = 0;
    for (int i = 0; i < 9; ++i) sum = static_cast<uint8_t>(sum + record[i]);
    record[9] = sum;
}

#include "ecu/ModelNames.h"

const char* ModelName(int32_t imageIndex) {
    switch (imageIndex) {
    case 1: return "K410";
    case 2: return "K411";
    case 3: return "K412";
    case 4: return "M530";
    case 5: return "P640";
    case 7: return "S750";
    case 8: return "T860";
    case 9: return "V970";
    default: return "????";
    }
}

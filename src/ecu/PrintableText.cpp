#include "ecu/PrintableText.h"

std::string PrintableText(std::string_view text) {
    std::string printable(text);
    for (char& c : printable) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) c = '?';
    }
    return printable;
}

#include "ecu/PrintableText.h"

#include <cstddef>
#include <cstdint>

namespace {

// The length of the valid UTF-8 sequence at the start of `text` and its code point; 0 when the
// first byte starts none.
std::size_t SequenceAt(std::string_view text, char32_t& codePoint) {
    const auto byte = [&text](std::size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t minimum = 0;  // below it the form is overlong
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07u;
    } else {
        return 0;  // a continuation byte, or a lead byte no valid sequence has
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0u) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || surrogate || codePoint > 0x10FFFF) return 0;
    return length;
}

bool IsControl(char32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0); }

}  // namespace

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    while (!text.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = SequenceAt(text, codePoint);
        if (length == 0 || IsControl(codePoint)) {
            printable += '?';
            text.remove_prefix(length == 0 ? 1 : length);
        } else {
            printable.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return printable;
}

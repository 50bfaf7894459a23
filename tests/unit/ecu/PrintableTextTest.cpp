// Texts from the line, a device or a file system on a terminal: letters of every script stay,
// nothing that could steer the terminal gets through, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "ecu/PrintableText.h"

namespace {

TEST(PrintableText, KeepsLettersOfAnyScriptAndReplacesControlsAndBadBytes) {
    struct Case {
        std::string text, printable;
        const char* what;
    };
    const Case cases[] = {
        {"WVWZZZ1KZAW000123", "WVWZZZ1KZAW000123", "plain ASCII"},
        {"", "", "nothing"},
        {"Pawe\xC5\x82 \xC5\xA0koda \xD0\x96\xD0\xB8", "Pawe\xC5\x82 \xC5\xA0koda \xD0\x96\xD0\xB8",
         "Polish, Czech, Cyrillic: second bytes in 0x80-0x9F"},
        {"\xE2\x82\xAC \xF0\x9F\x9A\x97", "\xE2\x82\xAC \xF0\x9F\x9A\x97", "three and four bytes"},
        {std::string("a\0b\tc\r\nd\x1b[2Je\x7f", 14), "a?b?c??d?[2Je?", "C0 and DEL"},
        {"\xC2\x80\xC2\x9B[2J\xC2\x9F\xC2\xA0", "??[2J?\xC2\xA0", "C1 code points, one '?' each; U+00A0 stays"},
        {"14\x9b"
         "2010",
         "14?2010", "a stray 0x9B, the 8-bit CSI"},
        {"\x82\xBF", "??", "continuation bytes without a lead"},
        {"\xC0\xAF\xE0\x80\xAF\xC1\x9B", "???????", "overlong forms"},
        {"\xED\xA0\x80", "???", "a surrogate"},
        {"\xF4\x90\x80\x80\xF5\x80", "??????", "beyond U+10FFFF"},
        {"\xFE\xFF", "??", "bytes no sequence has"},
        {"x\xC5", "x?", "a two-byte sequence cut short at the end"},
        {"\xE2\x82"
         "A\xF0\x9F\x9A",
         "??A???", "sequences cut short before another character"},
    };
    for (const Case& c : cases) EXPECT_EQ(PrintableText(c.text), c.printable) << c.what;
}

}  // namespace

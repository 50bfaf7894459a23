#pragma once

#include <string>
#include <string_view>

// The text with every control character (C0, DEL, C1) replaced by '?': text that came from the
// line or from a device can then never steer a terminal or hide in a file. The text is read as
// UTF-8: letters of any script are kept, and each byte that is no part of a valid sequence (a
// stray continuation byte such as 0x9B, the 8-bit CSI; an overlong form; a surrogate; a sequence
// cut short) becomes a '?' of its own.
std::string PrintableText(std::string_view text);

#pragma once

#include <string>
#include <string_view>

// The text with every control character (C0, DEL, C1) replaced by '?': text that came from the
// line or from a device can then never steer a terminal or hide in a file.
std::string PrintableText(std::string_view text);

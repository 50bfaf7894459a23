#pragma once

#include <string>
#include <string_view>

// Paths and texts are UTF-8 in the program and UTF-16 at the Windows calls. Text that is not
// valid in its encoding converts to an empty string, so that it names no file at all.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

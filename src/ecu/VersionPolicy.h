#pragma once

#include <cstdint>
#include <string_view>

// The number in an ECU's 4-character version text: "123E" -> 123, "E123"/"V123" -> 123,
// "1234" -> 234; 0 when neither position holds three digits.
int32_t SoftwareVersionNumber(const char (&text)[4]);

// The date of the carried firmware for a model code, "dd/mm/yyyy"; empty for other codes.
const char* ReferenceDate(int32_t modelCode);

// True when the ECU's software date ("Sep 29 2011", "Oct  2 2012") is before the reference date
// of the model code; false for a date not in that form.
bool IsEcuSoftwareOlder(const char* softwareDate, int32_t modelCode);

// The info block at the start of the base area, as the identification reads it. A field reads
// erased when the model code or variant is 0xFF, or a text (date, time, version) is all 0xFF or
// blank. Erased: every field does (a run cut off in its first tags). Damaged: some do and some do
// not. Nothing narrower: a real model code the program does not know is intact.
enum class InfoBlockState { Intact, Erased, Damaged };
InfoBlockState InfoBlockOf(int32_t modelCode, int32_t variant, std::string_view date, std::string_view time,
                           std::string_view version);

// Whether a model code and variant may be updated at all (then the date decides).
bool ModelMayBeUpdated(int32_t modelCode, int32_t variant);

// The carried image for a model code and variant, or for a version number; 0 for none.
int32_t ImageForModel(int32_t modelCode, int32_t variant);
int32_t ImageForVersion(int32_t versionNumber);

#include "ecu/VersionPolicy.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int DigitValue(char c) { return c & 0x0F; }

// Leading-digit conversion of at most `count` characters, as atoi reads them.
int LeadingNumber(const char* text, size_t count) {
    size_t i = 0;
    while (i < count && text[i] == ' ') ++i;
    int value = 0;
    for (; i < count && IsDigit(text[i]); ++i) value = value * 10 + (text[i] - '0');
    return value;
}

constexpr std::array<int16_t, 37> kImage1Versions{199, 201, 203, 209, 219, 235, 241, 244, 256, 260, 266, 272, 280,
                                                  294, 299, 304, 310, 318, 321, 331, 333, 337, 346, 353, 365, 368,
                                                  371, 374, 377, 390, 392, 399, 413, 429, 440, 463, 477};
constexpr std::array<int16_t, 26> kImage2Versions{267, 273, 281, 295, 300, 305, 306, 311, 319, 322, 334, 338, 354,
                                                  366, 369, 372, 375, 378, 391, 393, 400, 409, 414, 441, 464, 478};
constexpr std::array<int16_t, 14> kImage3Versions{386, 397, 398, 404, 407, 408, 415, 432, 433, 442, 451, 457, 461, 465};

template <size_t N>
bool Lists(const std::array<int16_t, N>& list, int32_t number) {
    return std::find(list.begin(), list.end(), number) != list.end();
}

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

int32_t SoftwareVersionNumber(const char (&text)[4]) {
    const auto number = [&](int first) {
        for (int i = first; i < first + 3; ++i)
            if (!IsDigit(text[i])) return 0;
        return 100 * DigitValue(text[first]) + 10 * DigitValue(text[first + 1]) + DigitValue(text[first + 2]);
    };
    return text[3] == 'E' ? number(0) : number(1);
}

const char* ReferenceDate(int32_t modelCode) {
    switch (modelCode) {
    case 0: return "30/09/2011";
    case 1: return "30/09/2011";
    case 2: return "19/05/2015";
    case 4: return "03/10/2012";
    case 16: return "08/08/2017";
    case 17: return "17/12/2020";
    case 19: return "19/09/2013";
    default: return "";
    }
}

bool IsEcuSoftwareOlder(const char* softwareDate, int32_t modelCode) {
    const char* reference = ReferenceDate(modelCode);
    const size_t referenceLength = std::strlen(reference);
    const auto referencePart = [&](size_t from, size_t count) {
        return from < referenceLength ? LeadingNumber(reference + from, std::min(count, referenceLength - from)) : 0;
    };
    const int referenceDay = referencePart(0, 2);
    const int referenceMonth = referencePart(3, 2);
    const int referenceYear = referencePart(6, 4);

    // Characters counted from 1 in the checks below are at index - 1 here.
    char date[11];
    for (size_t i = 0; i < sizeof date; ++i) {
        if (softwareDate[i] == '\0') return false;  // shorter than the 11-character form
        date[i] = softwareDate[i];
    }
    if (!(IsDigit(date[4]) || date[4] == ' ') || !IsDigit(date[5])) return false;
    for (int i = 7; i < 11; ++i)
        if (!IsDigit(date[i])) return false;
    if (date[3] != ' ' || date[6] != ' ') return false;
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (std::memcmp(date, kMonths[m], 3) == 0) month = m + 1;
    if (month == 0) return false;

    const int day = LeadingNumber(date + 4, 2);
    const int year = LeadingNumber(date + 7, 4);
    if (year != referenceYear) return year < referenceYear;
    if (month != referenceMonth) return month < referenceMonth;
    return day < referenceDay;
}

InfoBlockState InfoBlockOf(int32_t modelCode, int32_t variant, std::string_view date, std::string_view time,
                           std::string_view version) {
    const auto erased = [](std::string_view text) {
        const auto all = [&](char c) { return text.find_first_not_of(c) == std::string_view::npos; };
        return all('\xFF') || all(' ');
    };
    const int fields = 5;
    const int erasedFields = (modelCode == 0xFF) + (variant == 0xFF) + erased(date) + erased(time) + erased(version);
    if (erasedFields == 0) return InfoBlockState::Intact;
    return erasedFields == fields ? InfoBlockState::Erased : InfoBlockState::Damaged;
}

bool ModelMayBeUpdated(int32_t modelCode, int32_t variant) {
    switch (modelCode) {
    case 0: return variant == 0 || variant == 1;
    case 1:
    case 2: return variant == 0;
    case 17: return true;
    default: return false;
    }
}

int32_t ImageForModel(int32_t modelCode, int32_t variant) {
    if (modelCode == 0 && variant == 0) return 1;
    if (modelCode == 0 && variant == 1) return 2;
    if (modelCode == 1 && variant == 0) return 3;
    if (modelCode == 2 && variant == 0) return 4;
    if (modelCode == 17) return 5;
    return 0;
}

int32_t ImageForVersion(int32_t versionNumber) {
    if (Lists(kImage1Versions, versionNumber)) return 1;
    if (Lists(kImage2Versions, versionNumber)) return 2;
    if (Lists(kImage3Versions, versionNumber)) return 3;
    return 0;
}

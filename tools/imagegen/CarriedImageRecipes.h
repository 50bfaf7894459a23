#pragma once

#include <array>
#include <cstdint>

// What the generator needs besides the catalogue to write one carried image: the identity its
// info block carries and the seed of its contents. The build date is the day before the reference
// date of the model, so that an ECU already running this build still passes the date check; the
// versions of images 1 to 3 are numbers their own version lists name; model code and variant are
// the pair that selects the image.
struct CarriedImageRecipe {
    int32_t imageIndex;
    const char* buildDate;  // the ECU's 11-character form, "Oct  2 2012"
    const char* buildTime;
    const char* version;
    uint8_t modelCode;
    uint8_t variant;
    uint64_t seed;
};

inline constexpr std::array<CarriedImageRecipe, 8> CarriedImageRecipes{{
    {1, "Sep 29 2011", "14:02:37", "477E", 0, 0, 0x4B3431305F31ull},
    {2, "Sep 29 2011", "14:19:05", "478E", 0, 1, 0x4B3431315F32ull},
    {3, "Sep 29 2011", "16:45:52", "465E", 1, 0, 0x4B3431325F33ull},
    {4, "May 18 2015", "09:12:44", "518E", 2, 0, 0x4D3533305F34ull},
    {5, "Dec 16 2020", "11:30:08", "640E", 17, 0, 0x503634305F35ull},
    {7, "Oct  2 2012", "17:03:21", "750E", 4, 0, 0x533735305F37ull},
    {8, "Aug  7 2017", "08:56:19", "860E", 16, 0, 0x543836305F38ull},
    {9, "Sep 18 2013", "13:27:40", "970E", 19, 0, 0x563937305F39ull},
}};

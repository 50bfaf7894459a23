#pragma once

#include <string>
#include <string_view>

#include "FirmwareImage.h"

// The image as the program carries it: upper-case Motorola S-records with CRLF line ends, an S0
// header, S3 records of 28 data bytes over each segment, the S5 count of the S3 records in a
// 32-bit field, and S7.
std::string WriteSRecordText(const FirmwareImage& image, std::string_view header);

#pragma once

#include <cstdint>

// The model name of an image index, "????" for an index without an image.
const char* ModelName(int32_t imageIndex);

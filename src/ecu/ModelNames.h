#pragma once

#include <cstdint>

// The model name of an image index; "????" for an index without one.
const char* ModelName(int32_t imageIndex);

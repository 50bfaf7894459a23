#pragma once

#include <cstdint>
#include <string>

// The busy indicator as terminal text: one character per block, the active block marked
// ("[---#------]"). A position outside the row marks no block.
std::string BusyLineText(int32_t blockCount, int32_t position);

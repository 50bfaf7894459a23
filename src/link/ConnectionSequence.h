#pragma once

#include <cstdint>

// The state of the hunt for the adapter, one per program rather than per dialog: a dialog reset
// keeps the connected port. Both start at 0 and nothing in the program resets them.
int32_t& ConnectState();    // 0..6
int32_t& CandidateIndex();  // index into PortList of the port being tried

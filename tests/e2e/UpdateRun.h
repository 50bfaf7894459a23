#pragma once

#include <string>
#include <vector>

#include "sim/SimOptions.h"

// Small helpers the whole-update tests share.
sim::SimOptions EcuOfModel(uint8_t modelCode, uint8_t variant);
// The ECU's VIN before any run; empty: an ECU never given one.
void SetStartVin(sim::SimOptions& options, const std::string& vin);
// Adds a fault in the simulator's rule grammar ("wrong-crc@218300,count=2"); fails the test on a bad rule.
void AddFault(sim::SimOptions& options, const std::string& rule);
// The texts one after the other, for a failure message.
std::string Listed(const std::vector<std::string>& texts);
// True when `expected` appear in `texts` in this order (others may stand between them).
bool InOrder(const std::vector<std::string>& texts, const std::vector<std::string>& expected);

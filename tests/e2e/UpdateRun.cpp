#include "UpdateRun.h"

#include <gtest/gtest.h>

#include <sstream>

#include "sim/FaultRule.h"

sim::SimOptions EcuOfModel(uint8_t modelCode, uint8_t variant) {
    sim::SimOptions options;
    options.identity.modelCode = modelCode;
    options.identity.variant = variant;
    return options;
}

void SetStartVin(sim::SimOptions& options, const std::string& vin) { options.vin = vin; }

void AddFault(sim::SimOptions& options, const std::string& rule) {
    sim::FaultRule parsed;
    std::string error;
    ASSERT_TRUE(sim::ParseFaultRule(rule, parsed, error)) << rule << ": " << error;
    options.faults.push_back(parsed);
}

std::string Listed(const std::vector<std::string>& texts) {
    std::ostringstream out;
    std::string last;
    for (const std::string& t : texts) {
        // Progress texts repeat by the hundred: one line per kind is enough to read a run.
        if (t.substr(0, 12) == last.substr(0, 12) && t.rfind("Writing (", 0) == 0) continue;
        out << "  " << t << "\n";
        last = t;
    }
    return out.str();
}

bool InOrder(const std::vector<std::string>& texts, const std::vector<std::string>& expected) {
    size_t next = 0;
    for (const std::string& t : texts)
        if (next < expected.size() && t == expected[next]) ++next;
    return next == expected.size();
}

// Whole updates of every carried image against the simulated adapter and ECU, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "VirtualUpdateBench.h"
#include "app/Texts.h"
#include "images/ImageCatalogue.h"

namespace {

std::string Joined(const std::vector<std::string>& texts) {
    std::ostringstream out;
    for (const std::string& t : texts) out << "  " << t << "\n";
    return out.str();
}

sim::SimOptions EcuOfModel(uint8_t modelCode, uint8_t variant) {
    sim::SimOptions options;
    options.identity.modelCode = modelCode;
    options.identity.variant = variant;
    return options;
}

TEST(WholeUpdate, Smoke) {
    VirtualUpdateBench run(EcuOfModel(0, 0));
    run.Start();
    const bool ended = run.RunToEnd();
    EXPECT_TRUE(ended);
    EXPECT_EQ(run.host().StatusText(), Text::FinishedOk) << Joined(run.StatusTexts());
}

} // namespace
namespace {
TEST(WholeUpdate, Debug) {
    VirtualUpdateBench run(EcuOfModel(0, 0));
    run.Start();
    run.RunToEnd();
    auto t = run.StatusTexts();
    std::vector<std::string> uniq;
    for (auto& s : t) if (uniq.empty() || uniq.back().substr(0,10) != s.substr(0,10)) uniq.push_back(s);
    std::cout << Joined(uniq) << run.bench.clock.NowMs() << " ms, frames " << run.line.Writes().size()
              << " 3D " << run.FramesStartingWith({0x3D}).size() << "\n";
    auto r = run.simulator.Report();
    for (auto& c : r.changedRecords) std::cout << c.record << "\n";
}
}

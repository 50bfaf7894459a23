// The journal campaign as a program: `journal-campaign --first 1 --seeds 300` runs seeds 1..300
// and prints its figures; `--seed N` replays one seed and prints its runs. Exit 1 on the first
// seed that breaks a rule, with its runs and the command that replays it.
#include <CLI/CLI.hpp>

#include <chrono>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "JournalCampaign.h"

int main(int argc, char** argv) {
    CLI::App app{"Interrupted updates at random, in virtual time, with the journal's rules checked after every run"};
    uint64_t first = 1;
    uint64_t seeds = 300;
    std::optional<uint64_t> replay;
    app.add_option("--first", first, "the first seed");
    app.add_option("--seeds", seeds, "how many seeds, from the first on");
    app.add_option("--seed", replay, "replay this seed alone and print its runs");
    CLI11_PARSE(app, argc, argv);
    if (replay) {
        first = *replay;
        seeds = 1;
    }

    const auto start = std::chrono::steady_clock::now();
    int runs = 0, largest = 0, ecus = 0, finished = 0;
    std::map<std::string, int> faults;
    for (uint64_t seed = first; seed < first + seeds; ++seed) {
        const CampaignOutcome outcome = RunCampaign(seed);
        runs += outcome.runs;
        largest = std::max(largest, outcome.runs);
        ecus += outcome.ecus;
        finished += outcome.finishedEcus;
        for (const auto& [name, count] : outcome.faults) faults[name] += count;
        if (replay || !outcome.ok) {
            for (const std::string& step : outcome.steps) std::cout << "  " << step << '\n';
        }
        if (!outcome.ok) {
            std::cout << "seed " << seed << " breaks a rule: " << outcome.failure << '\n'
                      << "replay: journal-campaign --seed " << seed << '\n'
                      << "0 passed, 1 failed\n";
            return 1;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "seeds " << first << ".." << first + seeds - 1 << ": " << runs << " runs on " << ecus << " ECUs ("
              << finished << " ended Finished OK), largest campaign " << largest << " runs, " << seconds << " s, "
              << (seconds > 0 ? runs / seconds : 0.0) << " runs/s\n";
    for (const auto& [name, count] : faults) std::cout << "  " << name << ": " << count << " runs\n";
    std::cout << seeds << " passed, 0 failed\n";
    return 0;
}

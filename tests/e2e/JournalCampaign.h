#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Interrupted updates at random, in virtual time: per seed, a sequence of runs of the program on
// one to three simulated ECUs that keep their journals in one folder, each run ended at a random
// point by a random fault and answered by a random (but truthful) operator, until every ECU ends
// "Finished OK" or the sequence ends. After every run the rules of the journal are checked:
//   a. no ECU holds another's records (VIN and hardware serial among them);
//   b. an ECU that ends "Finished OK" holds every record it had before its first run, but for the
//      designed repairs and the history entries;
//   c. an ECU a run left without its data has a journal that holds it and that a later run uses;
//   d. every journal the program names as the one to finish from is one --resume accepts;
//   e. the recovery steps are given exactly when the run left the ECU changed.
struct CampaignOutcome {
    bool ok = true;
    std::string failure;             // the rule broken and how
    std::vector<std::string> steps;  // one line per run: ECU, operator, fault, end
    int runs = 0;
    std::map<std::string, int> faults;  // runs per fault
    int finishedEcus = 0, ecus = 0;
};

// One seed's sequence; the same seed gives the same runs.
CampaignOutcome RunCampaign(uint64_t seed);

#pragma once

#include <string>

class Journal;

// How a front end wants the runs journalled.
struct JournalSettings {
    Journal* journal = nullptr;  // none: the runs keep no journal (the operator chose so)
    // Nobody to ask (the console's --yes): a journal is used by itself only when it belongs to
    // the ECU read now, a run that cannot tell does not program, and neither does a run that
    // cannot save its journal.
    bool unattended = false;
    std::string resumeFrom;  // a journal the operator named: used for its own ECU, or one whose VIN reads blank
    bool noResume = false;   // the operator says this ECU is no interrupted one: its records read now go back
};

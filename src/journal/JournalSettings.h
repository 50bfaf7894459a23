#pragma once

#include <string>

class Journal;

// How a front end wants the runs journalled.
struct JournalSettings {
    Journal* journal = nullptr;  // none: the runs keep no journal (the operator chose so)
    // Nobody to ask (the console's --yes): a journal is used by itself only when it belongs to
    // the ECU read now, and a run that cannot save its journal does not program.
    bool unattended = false;
    std::string resumeFrom;  // a journal the operator named: used whichever ECU it names
};

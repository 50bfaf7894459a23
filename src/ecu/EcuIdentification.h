#pragma once

// What the ECU reported about its software in the identification stage.
struct EcuIdentification {
    char softwareDate[32];   // zero-terminated, at most 11 characters
    char currentVersion[5];  // 4 characters and a zero
    char softwareTime[9];    // zero-terminated, at most 8 characters; kept for the journal of the run
};

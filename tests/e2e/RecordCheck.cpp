#include "RecordCheck.h"

#include <algorithm>
#include <cstdint>
#include <sstream>

namespace {

using Bytes = std::vector<uint8_t>;

std::string Hex(const Bytes& bytes) {
    std::ostringstream out;
    out << std::hex;
    for (uint8_t b : bytes) out << (b < 16 ? "0" : "") << int(b) << ' ';
    return out.str();
}

uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

// The repairs, written out here on their own rather than taken from the program.
Bytes Repaired17(Bytes r) {
    if (r[2] == 0 && r[3] == 0) {
        r[2] = r[0];
        r[3] = r[1];
    }
    if (r[5] == 0) r[5] = r[4];
    return r;
}

Bytes Repaired33(Bytes r) {
    r[4] = r[6] = 0xFF;
    uint8_t sum = 0;
    for (int i = 0; i < 9; ++i) sum = static_cast<uint8_t>(sum + r[static_cast<size_t>(i)]);
    r[9] = sum;
    return r;
}

// Each entry goes to the first slot whose day byte is not a day (the last slot when all are
// days), and the slot after it is emptied.
Bytes WithEntries(Bytes history, const ExpectedRecords& expected) {
    for (const std::string& version : expected.historyVersions) {
        size_t slot = 0;
        while (slot < 9 && history[slot * 16] >= 0x01 && history[slot * 16] <= 0x31) ++slot;
        Bytes entry(16, 0);
        entry[0] = Bcd(expected.date.tm_mday);
        entry[1] = Bcd(expected.date.tm_mon + 1);
        entry[2] = Bcd(expected.date.tm_year - 100);
        std::copy_n(version.begin(), std::min<size_t>(4, version.size()), entry.begin() + 3);
        std::copy_n(expected.user.begin(), std::min<size_t>(8, expected.user.size()), entry.begin() + 7);
        std::copy(entry.begin(), entry.end(), history.begin() + static_cast<long>(slot * 16));
        std::fill_n(history.begin() + static_cast<long>((slot + 1) % 10 * 16), 16, uint8_t{0});
    }
    return history;
}

}  // namespace

std::vector<std::string> RecordProblems(const sim::RunReport& report, const ExpectedRecords& expected) {
    std::vector<std::string> problems;
    const auto leftOut = [&](const std::string& name) {
        return std::find(expected.leftOut.begin(), expected.leftOut.end(), name) != expected.leftOut.end();
    };
    std::vector<std::string> expectedToChange = {"21 17", "21 33"};
    if (!expected.historyVersions.empty()) expectedToChange.push_back("21 69");

    for (const auto& record : report.changedRecords) {
        if (leftOut(record.record)) continue;
        Bytes wanted;
        if (record.record == "21 17") {
            wanted = Repaired17(record.atStart);
        } else if (record.record == "21 33") {
            wanted = Repaired33(record.atStart);
        } else if (record.record == "21 69" && !expected.historyVersions.empty()) {
            wanted = WithEntries(record.atStart, expected);
        } else {
            problems.push_back(record.record + " lost: was " + Hex(record.atStart) + "now " + Hex(record.now));
            continue;
        }
        if (record.now != wanted)
            problems.push_back(record.record + " is " + Hex(record.now) + "instead of " + Hex(wanted));
    }
    for (const std::string& name : expectedToChange) {
        const bool changed = std::any_of(report.changedRecords.begin(), report.changedRecords.end(),
                                         [&](const auto& record) { return record.record == name; });
        if (!changed && !leftOut(name)) problems.push_back(name + " is as it was before the run");
    }
    return problems;
}

#include "RunReport.h"

#include <cstdio>

namespace sim {

namespace {

// Any bytes become valid JSON: the info block of an erased flash holds 0xFF.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string HexString(const std::vector<uint8_t>& bytes) {
    std::string text;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        text += b;
    }
    return "\"" + text + "\"";
}

const char* Bool(bool value) { return value ? "true" : "false"; }

template <typename T, typename Write>
void List(std::string& out, const std::vector<T>& items, Write write) {
    out += "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += i ? ",\n    " : "\n    ";
        write(items[i]);
    }
    out += items.empty() ? "]" : "\n  ]";
}

} // namespace

std::string ReportJson(const RunReport& r) {
    std::string out = "{\n  \"requestsPerService\": {";
    bool first = true;
    for (const auto& [service, count] : r.requestsPerService) {
        char item[32];
        std::snprintf(item, sizeof item, "%s\"%02X\": %u", first ? "" : ", ", service, count);
        out += item;
        first = false;
    }
    out += "},\n  \"changedRecords\": ";
    List(out, r.changedRecords, [&](const RunReport::RecordDifference& d) {
        out += "{\"record\": " + Quoted(d.record) + ", \"atStart\": " + HexString(d.atStart) +
               ", \"now\": " + HexString(d.now) + "}";
    });
    out += ",\n  \"areas\": ";
    List(out, r.areas, [&](const RunReport::Area& a) {
        char item[160];
        std::snprintf(item, sizeof item,
                      "{\"name\": \"%s\", \"begin\": %u, \"end\": %u, \"crc\": \"%04X\", \"erased\": %s}",
                      a.name.c_str(), a.begin, a.end, a.crc, Bool(a.erased));
        out += item;
    });
    out += ",\n  \"history\": ";
    List(out, r.history, [&](const std::vector<uint8_t>& entry) { out += HexString(entry); });
    out += ",\n  \"identity\": {\"date\": " + Quoted(r.date) + ", \"time\": " + Quoted(r.time) +
           ", \"version\": " + Quoted(r.version) + ", \"modelCode\": " + std::to_string(r.modelCode) +
           ", \"variant\": " + std::to_string(r.variant) + "}";
    out += ",\n  \"faults\": ";
    List(out, r.faults, [&](const RunReport::FaultTally& f) {
        out += "{\"rule\": " + Quoted(f.rule) + ", \"hits\": " + std::to_string(f.hits) + "}";
    });
    out += ",\n  \"garbledBytes\": " + std::to_string(r.garbledBytes) +
           ",\n  \"badFrames\": " + std::to_string(r.badFrames) +
           ",\n  \"ignoredWhileBooting\": " + std::to_string(r.ignoredWhileBooting) +
           ",\n  \"busyAnswers\": " + std::to_string(r.busyAnswers) +
           ",\n  \"diagnosticsCleared\": " + Bool(r.diagnosticsCleared) +
           ",\n  \"updateFinished\": " + Bool(r.updateFinished) + ",\n  \"lineCut\": " + Bool(r.lineCut) + "\n}\n";
    return out;
}

} // namespace sim

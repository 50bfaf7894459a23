#include "RunReport.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace sim {

namespace {

using Json = nlohmann::ordered_json;

// Texts read from flash may hold any byte (an erased info block is 0xFF): each byte is taken as
// the character of that code point, so the JSON is valid whatever the flash holds.
std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string HexString(const std::vector<uint8_t>& bytes) {
    std::string text;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        text += b;
    }
    return text;
}

}  // namespace

std::string ReportJson(const RunReport& r) {
    Json json;
    Json& services = json["requestsPerService"] = Json::object();
    for (const auto& [service, count] : r.requestsPerService) {
        char key[3];
        std::snprintf(key, sizeof key, "%02X", service);
        services[key] = count;
    }
    Json& changed = json["changedRecords"] = Json::array();
    for (const auto& d : r.changedRecords)
        changed.push_back({{"record", d.record}, {"atStart", HexString(d.atStart)}, {"now", HexString(d.now)}});
    Json& areas = json["areas"] = Json::array();
    for (const auto& a : r.areas) {
        char crc[5];
        std::snprintf(crc, sizeof crc, "%04X", a.crc);
        areas.push_back({{"name", a.name}, {"begin", a.begin}, {"end", a.end}, {"crc", crc}, {"erased", a.erased}});
    }
    Json& history = json["history"] = Json::array();
    for (const auto& entry : r.history) history.push_back(HexString(entry));
    json["identity"] = {{"date", Latin1ToUtf8(r.date)},
                        {"time", Latin1ToUtf8(r.time)},
                        {"version", Latin1ToUtf8(r.version)},
                        {"modelCode", r.modelCode},
                        {"variant", r.variant}};
    Json& faults = json["faults"] = Json::array();
    for (const auto& f : r.faults) faults.push_back({{"rule", Latin1ToUtf8(f.rule)}, {"hits", f.hits}});
    json["violations"] = Json::array();
    for (const auto& v : r.violations) json["violations"].push_back(Latin1ToUtf8(v));
    json["garbledBytes"] = r.garbledBytes;
    json["badFrames"] = r.badFrames;
    json["ignoredWhileBooting"] = r.ignoredWhileBooting;
    json["busyAnswers"] = r.busyAnswers;
    json["sessionTimeouts"] = r.sessionTimeouts;
    json["diagnosticsCleared"] = r.diagnosticsCleared;
    json["updateFinished"] = r.updateFinished;
    json["lineCut"] = r.lineCut;
    return json.dump(2, ' ', true) + "\n";
}

}  // namespace sim

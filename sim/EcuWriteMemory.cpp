// Write memory by address: the first write into an area in a programming session erases it.
#include <vector>

#include "Ecu.h"
#include "link/ServiceIds.h"

namespace sim {

namespace {

// The program writes flash only in whole tags: 3D, address, C0, 192 bytes (frame length C6).
constexpr std::size_t kTagData = 0xC0;
constexpr std::size_t kTagPayload = 5 + kTagData;

std::string NotAWholeTag(std::span<const uint8_t> request) {
    std::string text = "3D of " + std::to_string(request.size()) + " bytes";
    if (request.size() >= 5) text += " with count " + std::to_string(request[4]);
    return text + ", not a whole tag";
}

}  // namespace

EcuAnswer Ecu::WriteMemory(std::span<const uint8_t> request) {
    // 3D, three address bytes, the count, then that many data bytes.
    if (request.size() < 6 || request[4] == 0 || request.size() != 5u + request[4]) {
        EcuAnswer refused{Negative(Sid::WriteMemory, Nrc::SubFunctionNotSupported)};
        refused.violation = NotAWholeTag(request);
        return refused;
    }
    if (session_ != Session::Programming) return {Negative(Sid::WriteMemory, Nrc::NotInActiveSession)};
    const uint32_t address = uint32_t{request[1]} << 16 | uint32_t{request[2]} << 8 | request[3];
    const auto data = request.subspan(5);
    const std::optional<FlashArea> area = flash_.AreaHolding(address, static_cast<uint32_t>(data.size()));
    if (!area) return {Negative(Sid::WriteMemory, Nrc::RequestOutOfRange)};

    const std::size_t i = Index(*area);
    EcuAnswer answer;
    const Bytes echo{Positive(Sid::WriteMemory), request[1], request[2], request[3]};
    if (erasedThisSession_[i]) {
        answer.now = echo;
    } else {
        flash_.Erase(*area);
        // The configuration lives with the base area's code and goes with it.
        if (*area == FlashArea::Base) ForgetConfiguration();
        erasedThisSession_[i] = erasedThisRun_[i] = true;
        answer.now = Negative(Sid::WriteMemory, Nrc::ResponsePending);
        answer.later = echo;
        answer.busyMs = options_.eraseMs;
    }
    flash_.Program(address, data);
    programmedThisRun_[i] = true;
    if (request.size() != kTagPayload || request[4] != kTagData) answer.violation = NotAWholeTag(request);
    return answer;
}

// The configuration lives with the base area's code and goes with it; some ECUs keep who they are.
void Ecu::ForgetConfiguration() {
    const auto vin = records_.Vin();
    const auto serial = records_.HardwareSerial();
    const std::vector<uint8_t> keptVin(vin.begin(), vin.end()), keptSerial(serial.begin(), serial.end());
    records_.ResetToFactory();
    if (!options_.keepIdentity) return;
    std::copy(keptVin.begin(), keptVin.end(), vin.begin());
    std::copy(keptSerial.begin(), keptSerial.end(), serial.begin());
}

}  // namespace sim

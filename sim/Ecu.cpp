#include "Ecu.h"

#include <algorithm>

#include "SecurityKey.h"
#include "firmware/InfoBlock.h"
#include "link/ServiceIds.h"

namespace sim {

Bytes Negative(uint8_t service, uint8_t code) { return {kNegativeAnswer, service, code}; }

namespace {

// Text into a fixed-width field of the info block, blank-padded or cut.
void PutText(FlashMemory& flash, uint32_t offset, uint32_t width, const std::string& text) {
    Bytes field(width, ' ');
    std::copy_n(text.begin(), std::min<std::size_t>(width, text.size()), field.begin());
    flash.Load(offset, field);
}

// The firmware the ECU holds before any update: arbitrary code with the start identity.
void LoadOlderFirmware(FlashMemory& flash, const StartIdentity& identity, Prng& prng) {
    Bytes image(flash.Size());
    for (auto& b : image) b = prng.NextByte();
    flash.Load(0, image);
    PutText(flash, InfoBlock::DateOffset, InfoBlock::DateLength, identity.date);
    PutText(flash, InfoBlock::TimeOffset, InfoBlock::TimeLength, identity.time);
    PutText(flash, InfoBlock::VersionOffset, InfoBlock::VersionLength, identity.version);
    const uint8_t separator = 0;
    for (uint32_t at : {InfoBlock::DateOffset + InfoBlock::DateLength, InfoBlock::TimeOffset + InfoBlock::TimeLength,
                        InfoBlock::VersionOffset + InfoBlock::VersionLength})
        flash.Load(at, {&separator, 1});
    const uint8_t model[] = {identity.modelCode, identity.variant};
    flash.Load(InfoBlock::ModelCodeOffset, model);
}

}  // namespace

Ecu::Ecu(const SimOptions& options, Prng& prng)
    : options_(options), prng_(prng), flash_(FlashSizeFor(options)), records_(prng) {
    LoadOlderFirmware(flash_, options.identity, prng);
    // Its own generator, so the VIN does not shift the seeding of everything else.
    Prng vinPrng(options.seed ^ 0x56494E);
    std::vector<uint8_t> vin = SeededVin(vinPrng);
    if (options.vin) {
        vin.assign(17, 0xFF);
        std::copy_n(options.vin->begin(), std::min<std::size_t>(options.vin->size(), vin.size()), vin.begin());
    }
    std::copy(vin.begin(), vin.end(), records_.Vin().begin());
}

EcuAnswer Ecu::Handle(std::span<const uint8_t> request) {
    if (request.empty()) return {};
    switch (request[0]) {
    case Sid::StartSession: return StartSession(request);
    case Sid::EcuReset: return ResetService(request);
    case Sid::ClearDiagnostics: return ClearDiagnostics(request);
    case Sid::ReadIdentification: return ReadIdentification(request);
    case Sid::StopSession: return StopSession(request);
    case Sid::ReadLocalData: return ReadLocal(request);
    case Sid::SecurityAccess: return SecurityAccess(request);
    case Sid::StartRoutine: return StartRoutine(request);
    case Sid::WriteLocalData: return WriteLocal(request);
    case Sid::WriteMemory: return WriteMemory(request);
    default: return {Negative(request[0], Nrc::ServiceNotSupported)};
    }
}

void Ecu::Reset() {
    session_ = Session::Default;
    level5Unlocked_ = level7Unlocked_ = false;
    expectedKey5_.reset();
    expectedKey7_.reset();
    erasedThisSession_[0] = erasedThisSession_[1] = false;
}

EcuAnswer Ecu::StartSession(std::span<const uint8_t> request) {
    if (request.size() != 2) return {Negative(Sid::StartSession, Nrc::SubFunctionNotSupported)};
    switch (request[1]) {
    case 0x81: Reset(); break;
    case 0x84:
        if (!level5Unlocked_) return {Negative(Sid::StartSession, Nrc::SecurityAccessDenied)};
        session_ = Session::Diagnostic;
        break;
    case 0x85:
        if (!level7Unlocked_) return {Negative(Sid::StartSession, Nrc::SecurityAccessDenied)};
        session_ = Session::Programming;
        erasedThisSession_[0] = erasedThisSession_[1] = false;
        break;
    default: return {Negative(Sid::StartSession, Nrc::SubFunctionNotSupported)};
    }
    return {{Positive(Sid::StartSession), request[1]}};
}

EcuAnswer Ecu::StopSession(std::span<const uint8_t> request) {
    if (request.size() != 1) return {Negative(Sid::StopSession, Nrc::SubFunctionNotSupported)};
    if (!InDiagnosticOrProgramming()) return {Negative(Sid::StopSession, Nrc::ConditionsNotCorrect)};
    Reset();
    return {{Positive(Sid::StopSession)}};
}

EcuAnswer Ecu::ResetService(std::span<const uint8_t> request) {
    if (request.size() != 2 || request[1] != 0x01) return {Negative(Sid::EcuReset, Nrc::SubFunctionNotSupported)};
    EcuAnswer answer{{Positive(Sid::EcuReset)}};
    answer.resets = true;
    return answer;
}

EcuAnswer Ecu::ClearDiagnostics(std::span<const uint8_t> request) {
    if (request.size() != 3) return {Negative(Sid::ClearDiagnostics, Nrc::SubFunctionNotSupported)};
    const bool allGroups = request[1] == 0xFF && request[2] == 0x00;
    const bool powertrain = request[1] == 0x00 && request[2] == 0x00;
    if (!allGroups && !powertrain) return {Negative(Sid::ClearDiagnostics, Nrc::RequestOutOfRange)};
    diagnosticsCleared_ = true;
    EcuAnswer answer{{Positive(Sid::ClearDiagnostics), request[1], request[2]}};
    answer.finishesUpdate = programmedThisRun_[0] && programmedThisRun_[1];
    return answer;
}

uint16_t Ecu::NewSeed() {
    // A key of 0 tells the tester that no key is needed, so no seed may lead to one.
    for (;;) {
        const auto seed = static_cast<uint16_t>(prng_.Next());
        if (seed != 0 && SecurityKey(KeyFormula::Level5Variant1, seed) != 0 &&
            SecurityKey(KeyFormula::Level5Variant2, seed) != 0 && SecurityKey(KeyFormula::Level7, seed) != 0)
            return seed;
    }
}

EcuAnswer Ecu::SecurityAccess(std::span<const uint8_t> request) {
    if (request.size() < 2) return {Negative(Sid::SecurityAccess, Nrc::SubFunctionNotSupported)};
    const uint8_t mode = request[1];
    const bool level7 = mode == 0x07 || mode == 0x08;
    if (mode != 0x05 && mode != 0x06 && !level7) return {Negative(Sid::SecurityAccess, Nrc::SubFunctionNotSupported)};
    if (level7 && !InDiagnosticOrProgramming()) return {Negative(Sid::SecurityAccess, Nrc::NotInActiveSession)};
    bool& unlocked = level7 ? level7Unlocked_ : level5Unlocked_;
    std::optional<uint16_t>& expected = level7 ? expectedKey7_ : expectedKey5_;

    if (mode == 0x05 || mode == 0x07) {
        if (request.size() != 2) return {Negative(Sid::SecurityAccess, Nrc::SubFunctionNotSupported)};
        if (unlocked) return {{Positive(Sid::SecurityAccess), mode, 0x00, 0x00}};
        const uint16_t seed = NewSeed();
        const KeyFormula formula = level7                     ? KeyFormula::Level7
                                   : options_.keyVariant == 2 ? KeyFormula::Level5Variant2
                                                              : KeyFormula::Level5Variant1;
        expected = SecurityKey(formula, seed);
        return {{Positive(Sid::SecurityAccess), mode, static_cast<uint8_t>(seed >> 8), static_cast<uint8_t>(seed)}};
    }
    if (request.size() != 4) return {Negative(Sid::SecurityAccess, Nrc::SubFunctionNotSupported)};
    if (!expected) return {Negative(Sid::SecurityAccess, Nrc::ConditionsNotCorrect)};
    const uint16_t key = static_cast<uint16_t>(request[2] << 8 | request[3]);
    // An ECU whose level-5 key is neither variant refuses every key the program can compute.
    const bool accepted = key == *expected && (level7 || options_.keyVariant != 0);
    expected.reset();  // one key per seed
    if (!accepted) return {Negative(Sid::SecurityAccess, Nrc::InvalidKey)};
    unlocked = true;
    return {{Positive(Sid::SecurityAccess), mode, 0x34}};
}

EcuAnswer Ecu::StartRoutine(std::span<const uint8_t> request) {
    if (request.size() < 2) return {Negative(Sid::StartRoutine, Nrc::SubFunctionNotSupported)};
    if (!InDiagnosticOrProgramming()) return {Negative(Sid::StartRoutine, Nrc::NotInActiveSession)};
    const uint8_t routine = request[1];
    const bool known = routine == 0x04 || routine == 0x06 || routine == 0x09 || routine == 0x0D || routine == 0x0F ||
                       routine == 0x10 || routine == 0x19;
    // Routine 0x19 takes two parameter bytes, the others none.
    const std::size_t length = routine == 0x19 ? 4 : 2;
    if (!known || request.size() != length) return {Negative(Sid::StartRoutine, Nrc::SubFunctionNotSupported)};
    return {{Positive(Sid::StartRoutine), routine}};
}

}  // namespace sim

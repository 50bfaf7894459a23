#include "Simulator.h"

#include <algorithm>
#include <cstdio>

#include "UartResample.h"
#include "firmware/InfoBlock.h"
#include "link/Framing.h"
#include "link/ServiceIds.h"

namespace sim {

namespace {

constexpr uint32_t kLowBaud = 9600;
constexpr uint32_t kHighBaud = 38400;

std::string Hex(std::span<const uint8_t> bytes) {
    std::string text;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, text.empty() ? "%02X" : " %02X", v);
        text += b;
    }
    return text;
}

bool Has(const std::vector<const FaultRule*>& faults, FaultAction action) {
    return std::any_of(faults.begin(), faults.end(), [&](const FaultRule* f) { return f->action == action; });
}

const FaultRule* First(const std::vector<const FaultRule*>& faults, FaultAction action) {
    for (const FaultRule* f : faults)
        if (f->action == action) return f;
    return nullptr;
}

// Faults that act on a request's 7F xx 78 answers, and those that act on its final answer.
std::pair<std::vector<const FaultRule*>, std::vector<const FaultRule*>> SplitByAnswer(
    const std::vector<const FaultRule*>& faults) {
    std::pair<std::vector<const FaultRule*>, std::vector<const FaultRule*>> split;
    for (const FaultRule* f : faults) (f->onPending ? split.first : split.second).push_back(f);
    return split;
}

}  // namespace

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)),
      prng_(options_.seed),
      ecu_(options_, prng_),
      recordsAtStart_(ecu_.Records()),
      faults_(options_.faults, options_.seed) {}

void Simulator::SetTrace(std::function<void(uint64_t, const std::string&)> trace) {
    std::lock_guard lock(mutex_);
    trace_ = std::move(trace);
}

void Simulator::Trace(const std::string& line) const {
    if (trace_) trace_(nowUs_, line);
}

Simulator::Events::iterator Simulator::At(uint64_t atUs, std::function<void()> action) {
    return events_.emplace(std::max(atUs, nowUs_), Event{std::move(action)});
}

void Simulator::ClearEvents() {
    events_.clear();
    staleCheck_.reset();
    sessionTimeout_.reset();
}

// Each request starts the session's time afresh, counted from when the ECU is done with it.
void Simulator::WatchSessionTime(uint64_t fromUs) {
    if (options_.sessionTimeoutMs == 0) return;
    if (sessionTimeout_) events_.erase(*sessionTimeout_);
    sessionTimeout_ = At(fromUs + options_.sessionTimeoutMs * 1000ull, [this] {
        sessionTimeout_.reset();
        if (nowUs_ < busyUntilUs_) {  // still working on the last request: its time starts after
            WatchSessionTime(busyUntilUs_);
            return;
        }
        if (ecu_.CurrentSession() == Session::Default) return;
        ecu_.Reset();
        ++counters_.sessionTimeouts;
        Trace("no request for " + std::to_string(options_.sessionTimeoutMs) + " ms: the ECU left its session");
    });
}

// A receiver gives up on a frame when the line stays quiet too long after its last byte.
void Simulator::WatchForStaleFrame(uint64_t lastByteUs) {
    staleCheck_ = At(lastByteUs + FrameAssembler::kInterByteLimitUs + 1, [this] {
        staleCheck_.reset();
        if (!assembler_.DropIfStale(nowUs_)) return;
        ++counters_.badFrames;
        Trace("bad frame dropped");
    });
}

void Simulator::RunUntil(uint64_t nowUs) {
    while (!events_.empty() && events_.begin()->first <= nowUs) {
        auto node = events_.extract(events_.begin());
        nowUs_ = node.key();
        node.mapped().action();
    }
    nowUs_ = std::max(nowUs_, nowUs);
}

void Simulator::Receive(std::span<const uint8_t> bytes, uint32_t hostBaud, uint64_t nowUs) {
    std::lock_guard lock(mutex_);
    RunUntil(nowUs);
    if (lineCut_ || bytes.empty()) return;
    std::vector<uint8_t> arriving(bytes.begin(), bytes.end());
    const bool garbled = hostBaud != adapterBaud_;
    if (hostBaud == 0) {
        counters_.garbledBytes += static_cast<uint32_t>(bytes.size());
        return;
    }
    if (garbled) {
        arriving = UartResample(bytes, hostBaud, adapterBaud_);
        counters_.garbledBytes += static_cast<uint32_t>(bytes.size());
        Trace("garbled: " + std::to_string(bytes.size()) + " bytes at " + std::to_string(hostBaud) +
              " baud, adapter at " + std::to_string(adapterBaud_));
    }
    // Garbled bytes spread over the time the host's run of bytes takes on the line.
    const uint64_t duration = options_.paceLine ? ByteEndUs(bytes.size() - 1, hostBaud) : 0;
    for (std::size_t i = 0; i < arriving.size(); ++i) {
        const uint64_t offset = !options_.paceLine ? 0
                                : garbled          ? duration * (i + 1) / arriving.size()
                                                   : ByteEndUs(i, hostBaud);
        const uint64_t at = nowUs + offset;
        const uint8_t byte = arriving[i];
        At(at, [this, byte, at] { OnByte(byte, at); });
    }
}

std::optional<uint64_t> Simulator::NextEventTime() const {
    std::lock_guard lock(mutex_);
    std::optional<uint64_t> next;
    if (!events_.empty()) next = events_.begin()->first;
    if (!out_.empty()) next = std::min(next.value_or(out_.front().atUs), out_.front().atUs);
    return next;
}

std::vector<uint8_t> Simulator::TakeDue(uint64_t nowUs, uint32_t hostBaud) {
    std::lock_guard lock(mutex_);
    RunUntil(nowUs);
    std::vector<uint8_t> delivered;
    // Runs of bytes sent at one speed are resampled together, as a receiver sees them.
    while (!out_.empty() && out_.front().atUs <= nowUs) {
        const uint32_t baud = out_.front().baud;
        std::vector<uint8_t> run;
        while (!out_.empty() && out_.front().atUs <= nowUs && out_.front().baud == baud) {
            run.push_back(out_.front().byte);
            out_.pop_front();
        }
        const auto received = UartResample(run, baud, hostBaud);
        delivered.insert(delivered.end(), received.begin(), received.end());
    }
    if (finishedAtUs_ && *finishedAtUs_ <= nowUs) counters_.updateFinished = true;
    return delivered;
}

void Simulator::OnByte(uint8_t byte, uint64_t atUs) {
    if (lineCut_) return;
    const FrameAssembler::Result result = assembler_.Push(byte, atUs);
    if (staleCheck_) {
        events_.erase(*staleCheck_);
        staleCheck_.reset();
    }
    switch (result) {
    case FrameAssembler::Result::Incomplete:
        if (assembler_.Partial()) WatchForStaleFrame(atUs);
        return;
    case FrameAssembler::Result::Bad:
        ++counters_.badFrames;
        Trace("bad frame dropped");
        return;
    case FrameAssembler::Result::Frame: OnFrame(assembler_.Payload()); return;
    }
}

void Simulator::OnFrame(const Bytes& payload) {
    ++counters_.requestsPerService[payload[0]];
    Trace("request " + Hex(payload));
    const bool adapterCommand = payload[0] == kAdapterVersionRequest || payload[0] == kAdapterSpeedSwitch;
    if (!adapterCommand) WatchSessionTime(nowUs_);
    if (!adapterCommand && nowUs_ < bootedAtUs_) {
        ++counters_.ignoredWhileBooting;
        Trace("ECU booting: no answer");
        return;
    }
    // Until its final answer the ECU takes nothing new on; faults only see requests it takes.
    if (!adapterCommand && nowUs_ < busyUntilUs_) {
        ++counters_.busyAnswers;
        if (eraseAnnounced_)
            Violation(Hex(std::span(payload).first(std::min<std::size_t>(payload.size(), 3))) +
                      " sent while the ECU erases");
        Answer(Negative(payload[0], Nrc::BusyRepeatRequest), nowUs_ + options_.responseMs * 1000ull, {});
        return;
    }
    const Faults faults = faults_.Hits(payload);
    for (const FaultRule* f : faults) Trace("fault " + f->text);
    if (Has(faults, FaultAction::SilentAdapter)) {
        Trace("adapter silent");
        return;
    }
    if (Has(faults, FaultAction::Cut) || Has(faults, FaultAction::Unplug)) {
        CutLine(Has(faults, FaultAction::Unplug));
        return;
    }
    if (adapterCommand)
        OnAdapterCommand(payload, SplitByAnswer(faults).second);  // the adapter never answers pending
    else
        HandleByEcu(payload, faults);
}

void Simulator::OnAdapterCommand(const Bytes& payload, const Faults& faults) {
    if (payload.size() != 1) return;
    if (payload[0] == kAdapterVersionRequest) {
        Bytes answer{kAdapterAnswer, 0x00};
        for (std::size_t i = 0; i < 3; ++i)
            answer.push_back(
                static_cast<uint8_t>(i < options_.adapterVersion.size() ? options_.adapterVersion[i] : '0'));
        Answer(answer, nowUs_ + options_.responseMs * 1000ull, faults);
        return;
    }
    const uint64_t generation = speedGeneration_;
    At(nowUs_ + options_.switchMs * 1000ull, [this, generation] {
        if (generation != speedGeneration_ || lineCut_) return;
        adapterBaud_ = kHighBaud;
        Trace("adapter at 38400 baud");
    });
}

void Simulator::HandleByEcu(const Bytes& payload, const Faults& faults) {
    const uint64_t readyUs = nowUs_ + options_.responseMs * 1000ull;
    if (const FaultRule* negative = First(faults, FaultAction::Negative)) {
        Faults rest;
        for (const FaultRule* f : faults)
            if (f != negative) rest.push_back(f);
        if (negative->code == Nrc::ResponsePending) {
            PendingChain(payload, *negative, rest, readyUs);
            return;
        }
        Answer(Negative(negative->service.value_or(payload[0]), negative->code), readyUs, SplitByAnswer(rest).second);
        return;
    }
    // Named copies rather than a structured binding: lambdas capture them (clang 14 cannot
    // capture a binding).
    const auto split = SplitByAnswer(faults);
    const Faults onPending = split.first, onFinal = split.second;
    EcuAnswer answer = ecu_.Handle(payload);
    if (!answer.violation.empty()) Violation(answer.violation);
    const bool hasLater = !answer.later.empty();
    std::function<void()> afterSent;
    if (answer.resets) afterSent = [this] { ResetEcu(); };
    if (answer.finishesUpdate) afterSent = [this] { finishedAtUs_ = nowUs_; };
    Answer(answer.now, readyUs, hasLater ? onPending : onFinal, afterSent);
    if (hasLater) {
        busyUntilUs_ = nowUs_ + answer.busyMs * 1000ull;
        // A host that never saw the 7F 3D 78 intact may well ask again; a stray frame after it
        // changes nothing of that.
        eraseAnnounced_ = std::all_of(onPending.begin(), onPending.end(),
                                      [](const FaultRule* f) { return f->action == FaultAction::Stray; });
        for (const FaultRule* f : onPending) {
            if (f->action != FaultAction::Stray) continue;
            Bytes stray{static_cast<uint8_t>(f->bytes.size() + 1)};
            stray.insert(stray.end(), f->bytes.begin(), f->bytes.end());
            stray.push_back(ByteSum(stray.data(), static_cast<uint32_t>(stray.size())));
            At(nowUs_ + answer.busyMs * 500ull, [this, stray] {
                if (lineCut_) return;
                Trace("stray frame " + Hex(stray));
                Transmit(stray);
            });
        }
        Trace("ECU busy for " + std::to_string(answer.busyMs) + " ms");
        At(busyUntilUs_, [this, later = answer.later, onFinal] {
            eraseAnnounced_ = false;
            Answer(later, nowUs_, onFinal);
        });
    }
}

// Response pending `repeat` times, `ms` apart, then the request is handled after all; the ECU
// is busy until then.
void Simulator::PendingChain(const Bytes& payload, const FaultRule& pending, const Faults& faults, uint64_t readyUs) {
    const auto split = SplitByAnswer(faults);
    const Faults onPending = split.first, onFinal = split.second;
    const uint64_t step = pending.ms * 1000ull;
    for (uint32_t i = 0; i < pending.repeat; ++i)
        Answer(Negative(payload[0], Nrc::ResponsePending), readyUs + i * step, onPending);
    busyUntilUs_ = nowUs_ + pending.repeat * step;
    eraseAnnounced_ = false;
    At(busyUntilUs_, [this, payload, onFinal] { HandleByEcu(payload, onFinal); });
}

// Applies the answer's faults, then puts it on the line at readyUs; afterSent runs once its last
// byte has left (or, when it is dropped, at readyUs).
void Simulator::Answer(Bytes payload, uint64_t readyUs, const Faults& faults, std::function<void()> afterSent) {
    if (payload.empty()) return;
    if (Has(faults, FaultAction::WrongEcho) && payload.size() == 4 && payload[0] == Positive(Sid::WriteMemory))
        payload[2] ^= 0x01;
    if (Has(faults, FaultAction::WrongChecksum) && payload.size() == 4 && payload[0] == Positive(Sid::ReadLocalData) &&
        payload[1] == LocalId::Checksum) {
        payload[2] ^= 0xFF;
        payload[3] ^= 0xFF;
    }
    if (const FaultRule* status = First(faults, FaultAction::Status);
        status && payload.size() > 2 && payload[0] == Positive(Sid::ReadLocalData) && payload[1] == 0xBD)
        payload[2] = status->code;
    if (const FaultRule* foreign = First(faults, FaultAction::UnknownService)) payload[0] = foreign->code;
    for (const FaultRule* f : faults)
        if (f->action == FaultAction::Delay) readyUs += f->ms * 1000ull;
    Bytes frame{static_cast<uint8_t>(payload.size() + 1)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(ByteSum(frame.data(), static_cast<uint32_t>(frame.size())));
    if (Has(faults, FaultAction::Corrupt)) frame.back() ^= 0x01;

    // What the line carries: the frame with whatever noise the faults put around it.
    Bytes wire;
    for (const FaultRule* f : faults)
        if (f->action == FaultAction::JunkBefore) wire.insert(wire.end(), f->bytes.begin(), f->bytes.end());
    if (Has(faults, FaultAction::BadCopy)) {
        wire.insert(wire.end(), frame.begin(), frame.end());
        wire.back() ^= 0x01;
    }
    Bytes sent = frame;
    if (const FaultRule* truncate = First(faults, FaultAction::Truncate))
        sent.resize(truncate->length == 0 ? frame.size() - 1 : std::min<std::size_t>(truncate->length, frame.size()));
    wire.insert(wire.end(), sent.begin(), sent.end());
    if (Has(faults, FaultAction::Duplicate)) wire.insert(wire.end(), sent.begin(), sent.end());
    for (const FaultRule* f : faults)
        if (f->action == FaultAction::JunkAfter) wire.insert(wire.end(), f->bytes.begin(), f->bytes.end());

    const bool dropped = Has(faults, FaultAction::Drop);
    const bool glued = Has(faults, FaultAction::Glue);
    At(readyUs, [this, wire = std::move(wire), dropped, glued, afterSent = std::move(afterSent)]() mutable {
        if (lineCut_) return;
        uint64_t sentUs = nowUs_;
        if (dropped) {
            Trace("answer dropped " + Hex(wire));
        } else if (glued) {
            Trace("answer held back " + Hex(wire));
            heldBack_.insert(heldBack_.end(), wire.begin(), wire.end());
        } else {
            wire.insert(wire.begin(), heldBack_.begin(), heldBack_.end());
            heldBack_.clear();
            sentUs = Transmit(wire);
        }
        if (afterSent) At(sentUs, afterSent);
    });
}

uint64_t Simulator::Transmit(const Bytes& bytes) {
    const uint64_t start = std::max(nowUs_, lineFreeUs_);
    uint64_t at = start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        at = options_.paceLine ? start + ByteEndUs(i, adapterBaud_) : start;
        out_.push_back({at, bytes[i], adapterBaud_});
    }
    lineFreeUs_ = at;
    Trace("answer " + Hex(bytes));
    return at;
}

void Simulator::Violation(std::string text) {
    Trace("violation: " + text);
    counters_.violations.push_back(std::move(text));
}

void Simulator::SetHostLineSettings(const HostLineSettings& settings) {
    std::lock_guard lock(mutex_);
    if (settings == hostLine_) return;
    hostLine_ = settings;
    if (settings == HostLineSettings{}) return;
    std::string text =
        "host line set to " + std::to_string(settings.dataBits) + settings.parity + std::to_string(settings.stopBits);
    if (settings.flowControl) text += " with flow control";
    Violation(text + ", not 8N1 without flow control");
}

void Simulator::ResetEcu() {
    ecu_.Reset();
    adapterBaud_ = kLowBaud;
    ++speedGeneration_;
    busyUntilUs_ = 0;
    eraseAnnounced_ = false;
    bootedAtUs_ = nowUs_ + options_.bootMs * 1000ull;
    Trace("ECU reset, adapter at 9600 baud");
}

void Simulator::ReplaceFaults(std::vector<FaultRule> rules) {
    std::lock_guard lock(mutex_);
    options_.faults = std::move(rules);
    faults_ = FaultPlan(options_.faults, options_.seed);
}

void Simulator::PowerCycle(uint64_t nowUs) {
    std::lock_guard lock(mutex_);
    RunUntil(nowUs);
    // Whatever the ECU was about to answer dies with its power.
    ClearEvents();
    out_.clear();
    ResetEcu();
}

void Simulator::CutLine(bool unplug) {
    lineCut_ = true;
    unplugged_ = unplugged_ || unplug;
    ClearEvents();
    out_.clear();
    heldBack_.clear();
    Trace(unplug ? "adapter unplugged" : "line cut");
}

uint32_t Simulator::AdapterBaud() const {
    std::lock_guard lock(mutex_);
    return adapterBaud_;
}

bool Simulator::LineCut() const {
    std::lock_guard lock(mutex_);
    return lineCut_;
}

bool Simulator::Unplugged() const {
    std::lock_guard lock(mutex_);
    return unplugged_;
}

bool Simulator::UpdateFinished() const {
    std::lock_guard lock(mutex_);
    return counters_.updateFinished;
}

std::vector<uint8_t> Simulator::FlashContents() const {
    std::lock_guard lock(mutex_);
    const auto bytes = ecu_.Flash().Bytes();
    return {bytes.begin(), bytes.end()};
}

RunReport Simulator::Report() const {
    std::lock_guard lock(mutex_);
    RunReport report = counters_;
    report.lineCut = lineCut_;
    report.diagnosticsCleared = ecu_.DiagnosticsCleared();
    const RecordStore& now = ecu_.Records();
    for (const RecordLayout& r : RecordCatalogue()) {
        if (options_.noHistory && r.readService == Sid::ReadLocalData && r.id == kHistoryId) continue;  // it has none
        const auto before = recordsAtStart_.Of(r);
        const auto after = now.Of(r);
        if (!std::equal(before.begin(), before.end(), after.begin(), after.end()))
            report.changedRecords.push_back(
                {RecordName(r), {before.begin(), before.end()}, {after.begin(), after.end()}});
        if (r.readService == Sid::ReadLocalData && r.id == kHistoryId)
            for (std::size_t e = 0; e < r.blockCount; ++e)
                report.history.emplace_back(after.begin() + e * r.width, after.begin() + (e + 1) * r.width);
    }
    const FlashMemory& flash = ecu_.Flash();
    for (FlashArea area : {FlashArea::Base, FlashArea::Upper}) {
        const AreaRange range = flash.Range(area);
        report.areas.push_back({area == FlashArea::Base ? "base" : "upper", range.begin, range.end, flash.Crc(area),
                                ecu_.AreaErasedThisRun(area)});
    }
    const auto cells = flash.Bytes();
    const auto text = [&](uint32_t offset, uint32_t length) {
        return std::string(cells.begin() + offset, cells.begin() + offset + length);
    };
    report.date = text(InfoBlock::DateOffset, InfoBlock::DateLength);
    report.time = text(InfoBlock::TimeOffset, InfoBlock::TimeLength);
    report.version = text(InfoBlock::VersionOffset, InfoBlock::VersionLength);
    report.modelCode = cells[InfoBlock::ModelCodeOffset];
    report.variant = cells[InfoBlock::VariantOffset];
    for (const auto& tally : faults_.Tallies()) report.faults.push_back({tally.rule->text, tally.hits});
    return report;
}

}  // namespace sim

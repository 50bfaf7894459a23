// Whatever arrives from the line, in any stage and with any request pending: arbitrary chunks go
// through the response assembly into the session's handlers. Nothing may read or write outside a
// buffer (the sanitizers watch), and the stage stays one of the seven.
//
// Input: byte 0 the stage, bytes 1-3 three rows made pending, byte 4 the service of the request
// last sent, byte 5 the block counter; then chunks, each led by its length (1-64).
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "app/CFlashDlg.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "platform/PortEnumerator.h"
#include "platform/SerialPort.h"
#include "platform/SystemInfo.h"

namespace {

class QuietWindow : public DialogHost {
public:
    void SetItemText(int, std::string_view) override {}
    void ShowItem(int, bool) override {}
    void EnableItem(int, bool) override {}
    void AppendFieldText(int, std::string_view) override {}
    void SetWindowTitle(std::string_view) override {}
    void AddSystemMenuEntry(int, std::string_view) override {}
    MessageResult ShowMessageBox(std::string_view, std::string_view, MessageIcon, MessageButtons buttons) override {
        return buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Ok;
    }
    void SetTimer(int, uint32_t) override {}
    void KillTimer(int) override {}
    bool ChooseFile(std::string&, std::string_view) override { return false; }
    void RepaintBusyIndicator() override {}
    void RunAboutBox(std::string_view) override {}
    void WaitServingCalls(const std::function<bool()>&) override {}
    void WakeWaitingUiThread() override {}
};

class StoppedClock : public Clock {
public:
    bool Sleep(uint32_t) override { return true; }
    void CutWaits() override {}
    void AllowWaits() override {}
    bool LocalTime(std::tm& out) override {
        out = std::tm{};
        out.tm_mday = 1;
        out.tm_year = 126;
        return true;
    }
};

class SinkPort : public SerialPort {
public:
    bool Open(int32_t) override { return true; }
    bool IsOpen() const override { return true; }
    bool SetBaudRate(uint32_t) override { return true; }
    bool Write(const uint8_t*, size_t) override { return true; }
    ReaderSetup StartReading() override { return ReaderSetup::Refused; }
    WaitResult WaitForInput() override { return WaitResult::Interrupted; }
    size_t Read(uint8_t*, size_t) override { return 0; }
    void StopReading() override {}
    void Purge() override {}
    void Interrupt() override {}
    void Close() override {}
};

class NoPorts : public PortEnumerator {
public:
    std::vector<int32_t> UsablePorts() override { return {}; }
};

class Nobody : public SystemInfo {
public:
    bool UserName(std::string& out) override {
        out = "fuzz";
        return true;
    }
};

struct Program {
    QuietWindow window;
    StoppedClock clock;
    SinkPort port;
    NoPorts ports;
    Nobody user;
    CFlashDlg dlg{PlatformServices{window, clock, port, ports, user}};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    static auto program = std::make_unique<Program>();
    CFlashDlg& dlg = program->dlg;
    dlg.InitSessionData();
    dlg.ResetSession();
    dlg.sessionStage = Stage(data[0] % 7);
    for (size_t i = 1; i <= 3; ++i) dlg.MakePending(data[i] % kRequestRowCount);
    dlg.lastSentRow = data[4] % kRequestRowCount;
    dlg.blockIndex = data[5];
    dlg.imageIndex = data[5] % 10;
    dlg.lastBaseTag = data[1] % 8;
    dlg.lastUpperTag = data[2] % 8;
    dlg.tagIndex = data[3] % 8;
    dlg.rxCount = 0;

    size_t at = 6;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at] % 64 + 1, size - at - 1);
        ++at;
        dlg.scheduler.awaitingResponse = 1;
        dlg.AssembleResponse(data + at, static_cast<uint32_t>(length));
        at += length;
        if (StageNumber(dlg.sessionStage) < 0 || StageNumber(dlg.sessionStage) > 6) std::abort();
    }
    return 0;
}

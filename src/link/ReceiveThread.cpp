#include "app/CFlashDlg.h"
#include "app/Texts.h"
#include "link/ResponseAssembler.h"
#include "platform/Clock.h"
#include "platform/DialogHost.h"
#include "platform/SerialPort.h"

// The stop flag is cleared here, before the thread exists: cleared by the thread itself, it
// could wipe out a stop requested before the thread got that far.
void CFlashDlg::StartCommThread() {
    EndCommThread();
    stopCommThread = 0;
    platform.clock.AllowWaits();
    commThread.Start(platform.host, [this] { CommThreadProc(); });
}

// Ends the receive thread, if there is one. Runs on the user-interface thread; while it waits,
// the window calls the receive thread makes are still carried out (DialogHost::WaitServingCalls),
// so the thread can finish a response it is handling, message boxes included.
void CFlashDlg::EndCommThread() {
    if (!commThread.Exists()) return;
    stopCommThread = 1;
    platform.clock.CutWaits();  // a response handler waiting out a reset ends its wait at once
    platform.port.Interrupt();
    commThread.Join(platform.host);
}

// Sleeps until characters arrive, drains the input queue into the response being assembled and
// hands every complete response on, on this thread. 1 after an orderly end, 0 when it could not
// set itself up.
int CFlashDlg::CommThreadProc() {
    SerialPort& port = platform.port;
    switch (port.StartReading()) {
    case SerialPort::ReaderSetup::Ready:
        break;
    case SerialPort::ReaderSetup::NoWaitObject:
        port.StopReading();
        platform.host.ShowMessageBox(Text::CommThreadError, Text::DefaultErrorCaption, MessageIcon::Error,
                                     MessageButtons::Ok);
        return 0;
    case SerialPort::ReaderSetup::Refused:
        port.StopReading();
        return 0;
    }
    rxCount = 0;
    while (stopCommThread == 0) {
        if (port.WaitForInput() != SerialPort::WaitResult::DataAvailable) continue;
        while (const size_t received = port.Read(rxChunk.data(), rxChunk.size()))
            AssembleResponse(rxChunk.data(), static_cast<uint32_t>(received));
    }
    port.StopReading();
    return 1;
}

void CFlashDlg::AssembleResponse(const uint8_t* chunk, uint32_t count) {
    switch (AppendResponseChunk(rxBuffer, rxCount, {chunk, count})) {
    case ResponseState::Incomplete:
        return;
    case ResponseState::Complete:
        if (AnswersTheRequest()) HandleResponse();
        break;
    case ResponseState::Rejected:
        break;  // dropped silently: the scheduler's time-out sends the request again
    }
    rxCount = 0;
}

// A frame is handed on only as the answer to the request outstanding: a second copy of an answer,
// or an answer naming another service than the one asked, would otherwise be taken for the next
// step (a block stored or written twice, a read skipped). The final answer of a memory write the
// ECU said "response pending" to comes while nothing else may be outstanding, and only that
// answer ends its wait. Services the program does not know pass, to be purged.
bool CFlashDlg::AnswersTheRequest() {
    constexpr uint8_t kNegative = 0x7F;
    constexpr uint8_t kWriteMemory = 0x3D;
    const uint8_t service = rxBuffer[1];
    const bool awaited = scheduler.awaitingResponse != 0;
    const bool finalDue = finalAnswerDue != 0;
    if (!awaited && !finalDue) return false;
    const bool knownAnswer = (service >= 0x50 && service <= 0x7D) || service == 0xD0;
    if (service != kNegative && !knownAnswer) return true;
    const uint8_t answered = service == kNegative ? (rxBuffer[0] >= 3 ? rxBuffer[2] : 0)
                                                  : static_cast<uint8_t>(service - 0x40);
    const bool finalAnswer = finalDue && answered == kWriteMemory;
    if (!finalAnswer && !(awaited && answered == lastSentService)) return false;
    if (finalAnswer) finalAnswerDue = 0;
    return true;
}

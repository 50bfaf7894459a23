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
    case SerialPort::ReaderSetup::Ready: break;
    case SerialPort::ReaderSetup::NoWaitObject:
        port.StopReading();
        platform.host.ShowMessageBox(Text::CommThreadError, Text::DefaultErrorCaption, MessageIcon::Error,
                                     MessageButtons::Ok);
        return 0;
    case SerialPort::ReaderSetup::Refused: port.StopReading(); return 0;
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

// A whole frame goes to the gate and, if it passes, to its handler; the next frame starts afresh.
void CFlashDlg::AssembleResponse(const uint8_t* chunk, uint32_t count) {
    if (AppendResponseChunk(rxBuffer, rxCount, {chunk, count}) == ResponseState::Incomplete) return;
    HandleResponse();
    rxCount = 0;
}

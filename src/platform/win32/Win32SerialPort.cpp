#include "platform/win32/Win32SerialPort.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kQueueSize = 512;
// A frame takes at most 52 ms on the line. A write still pending after this long meets a port
// that has stopped draining (a stalled device): it is given up like a lost frame, rather than
// holding the sending thread for the port's own write time-out of 9.6 s per byte.
constexpr DWORD kWriteStallMs = 1000;
constexpr DWORD kAllQueues = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

bool SetPortTimeouts(HANDLE port) {
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(port, &timeouts)) return false;
    timeouts.ReadIntervalTimeout = 2;
    timeouts.ReadTotalTimeoutMultiplier = 2;
    timeouts.ReadTotalTimeoutConstant = 10;
    timeouts.WriteTotalTimeoutMultiplier = 9600;
    timeouts.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(port, &timeouts);
}

bool ApplyLineSettings(HANDLE port, DCB& settings, uint32_t baud) {
    if (!GetCommState(port, &settings)) return false;
    settings.DCBlength = sizeof settings;
    settings.BaudRate = baud;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    settings.fAbortOnError = FALSE;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.EvtChar = 0x01;
    return SetCommState(port, &settings);
}

PortOpenError OpenErrorOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return PortOpenError::Missing;
    // A COM port is never shared: another program holding it shows as a refusal.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return PortOpenError::InUse;
    default: return PortOpenError::Other;
    }
}

bool PortAnswers(HANDLE port) {
    DWORD errors = 0;
    COMSTAT status{};
    return ClearCommError(port, &errors, &status);
}

}  // namespace

Win32SerialPort::~Win32SerialPort() {
    Close();
    StopReading();
}

bool Win32SerialPort::Open(int32_t portNumber) {
    lastOpenError_ = PortOpenError::Other;
    if (port_.IsOpen()) return false;
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", static_cast<int>(portNumber));
    HANDLE port =
        CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        lastOpenError_ = OpenErrorOf(GetLastError());
        return false;
    }
    if (DCB settings{}; !GetCommState(port, &settings)) {
        lastOpenError_ = PortOpenError::NotSerial;
        CloseHandle(port);
        return false;
    }
    SetCommMask(port, EV_RXCHAR);
    std::lock_guard writing(writeMutex_);
    const bool ready = SetupComm(port, kQueueSize, kQueueSize) && PurgeComm(port, kAllQueues) &&
                       SetPortTimeouts(port) && ApplyLineSettings(port, lineSettings_, 9600);
    if (!ready || !port_.Install(port)) {
        CloseHandle(port);
        return false;
    }
    lineLost_ = false;
    lastOpenError_ = PortOpenError::None;
    return true;
}

bool Win32SerialPort::IsOpen() const { return port_.IsOpen(); }

bool Win32SerialPort::SetBaudRate(uint32_t baud) {
    std::lock_guard writing(writeMutex_);
    const auto use = port_.Acquire();
    return use && ApplyLineSettings(use.get(), lineSettings_, baud);
}

bool Win32SerialPort::Write(const uint8_t* data, size_t count) {
    std::lock_guard writing(writeMutex_);
    const auto use = port_.Acquire();
    if (!use || count > MAXDWORD) return false;
    OVERLAPPED writer{};
    writer.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!writer.hEvent) return false;
    DWORD written = 0;
    BOOL done = WriteFile(use.get(), data, static_cast<DWORD>(count), nullptr, &writer);
    const bool pending = !done && GetLastError() == ERROR_IO_PENDING;
    if (pending && WaitForSingleObject(writer.hEvent, kWriteStallMs) != WAIT_OBJECT_0) CancelIoEx(use.get(), &writer);
    if (done || pending) done = GetOverlappedResult(use.get(), &writer, &written, TRUE);
    CloseHandle(writer.hEvent);
    return done && written == count;
}

SerialPort::ReaderSetup Win32SerialPort::StartReading() {
    std::lock_guard lock(readerMutex_);
    CloseReaderEvents();
    readerOverlapped_ = OVERLAPPED{};
    readerOverlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wakeEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!readerOverlapped_.hEvent || !wakeEvent_) {
        CloseReaderEvents();
        return ReaderSetup::NoWaitObject;
    }
    const auto use = port_.Acquire();
    return use && SetCommMask(use.get(), EV_RXCHAR) ? ReaderSetup::Ready : ReaderSetup::Refused;
}

SerialPort::WaitResult Win32SerialPort::WaitForWakeUp() {
    WaitForSingleObject(wakeEvent_, INFINITE);
    return WaitResult::Interrupted;
}

SerialPort::WaitResult Win32SerialPort::WaitForInput() {
    for (;;) {
        const auto use = port_.Acquire();
        if (!use || lineLost_) return WaitForWakeUp();
        DWORD events = 0;
        ResetEvent(readerOverlapped_.hEvent);
        if (WaitCommEvent(use.get(), &events, &readerOverlapped_)) {
            if (events & EV_RXCHAR) return WaitResult::DataAvailable;
            continue;
        }
        if (GetLastError() != ERROR_IO_PENDING) {
            lineLost_ = true;  // a removed device refuses the wait
            continue;
        }
        HANDLE wakers[2] = {wakeEvent_, readerOverlapped_.hEvent};
        DWORD transferred = 0;
        if (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) == WAIT_OBJECT_0) {
            // `events` is written by the pending wait: it must have ended before we leave. Setting
            // the mask ends a pending wait by definition; not every driver honours a cancel.
            SetCommMask(use.get(), EV_RXCHAR);
            CancelIoEx(use.get(), &readerOverlapped_);
            GetOverlappedResult(use.get(), &readerOverlapped_, &transferred, TRUE);
            return WaitResult::Interrupted;
        }
        if (!GetOverlappedResult(use.get(), &readerOverlapped_, &transferred, FALSE)) {
            // A purge ends the wait with an abort on some drivers; only a port that no longer
            // reports its status has lost its device.
            if (!PortAnswers(use.get())) lineLost_ = true;
            continue;
        }
        if (events & EV_RXCHAR) return WaitResult::DataAvailable;
    }
}

size_t Win32SerialPort::Read(uint8_t* data, size_t capacity) {
    const auto use = port_.Acquire();
    if (!use || lineLost_) return 0;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(use.get(), &errors, &status)) return 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(status.cbInQue, capacity));
    if (wanted == 0) return 0;
    DWORD got = 0;
    ResetEvent(readerOverlapped_.hEvent);
    if (ReadFile(use.get(), data, wanted, nullptr, &readerOverlapped_) || GetLastError() == ERROR_IO_PENDING) {
        while (!GetOverlappedResult(use.get(), &readerOverlapped_, &got, TRUE)) {
            if (GetLastError() != ERROR_IO_INCOMPLETE) {
                ClearCommError(use.get(), &errors, &status);
                break;
            }
        }
    } else {
        ClearCommError(use.get(), &errors, &status);
    }
    return got;
}

void Win32SerialPort::StopReading() {
    std::lock_guard lock(readerMutex_);
    CloseReaderEvents();
}

void Win32SerialPort::CloseReaderEvents() {
    for (HANDLE* event : {&readerOverlapped_.hEvent, &wakeEvent_}) {
        if (*event) CloseHandle(*event);
        *event = nullptr;
    }
}

void Win32SerialPort::Purge() {
    if (const auto use = port_.Acquire()) PurgeComm(use.get(), kAllQueues);
}

void Win32SerialPort::Interrupt() {
    std::lock_guard lock(readerMutex_);
    if (wakeEvent_) SetEvent(wakeEvent_);
}

void Win32SerialPort::Close() {
    HANDLE port = port_.Retire([this](HANDLE retiring) {
        Interrupt();
        CancelIoEx(retiring, nullptr);  // writes still waiting for the line
    });
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
}

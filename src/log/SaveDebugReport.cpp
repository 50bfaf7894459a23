#include "log/SaveDebugReport.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>

#include "app/CFlashDlg.h"
#include "log/DebugFileTexts.h"
#include "platform/DialogHost.h"

namespace {

// The name chosen last lives as long as the process, so the dialog offers it again. It has the
// room of the system's path buffer; a longer name is used once and not offered again.
constexpr std::size_t kFileNameSize = 260;

std::mutex rememberedMutex;
std::string rememberedFileName;

std::string RememberedFileName() {
    std::lock_guard lock(rememberedMutex);
    return rememberedFileName;
}

void RememberFileName(const std::string& name) {
    std::lock_guard lock(rememberedMutex);
    rememberedFileName = name.size() < kFileNameSize ? name : std::string();
}

std::FILE* OpenToAppend(const std::string& path, std::string& reason) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) reason = errno ? std::generic_category().message(errno) : "cannot be opened";
    return file;
}

std::atomic<DebugFileOpener> debugFileOpener{OpenToAppend};

// Appends without ever truncating or rewriting what the file holds. Returns the reason when the
// text did not reach the file whole.
bool AppendToFile(const std::string& path, std::string_view text, std::string& reason) {
    std::FILE* file = debugFileOpener.load()(path, reason);
    if (!file) return false;
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    reason = writeError ? std::generic_category().message(writeError) : "cannot be written";
    return false;
}

}  // namespace

void SetDebugFileOpener(DebugFileOpener opener) { debugFileOpener = opener ? opener : OpenToAppend; }

void CFlashDlg::SaveDebugReport(const DebugReportText& report) {
    std::string path = RememberedFileName();
    if (!platform.host.ChooseFile(path, Text::ChooseDebugFileTitle)) {
        SetStatusText(Text::Cancelled);
        return;
    }
    RememberFileName(path);

    const void* end = std::memchr(report.data(), '\0', report.size());
    const std::size_t length =
        end ? static_cast<std::size_t>(static_cast<const char*>(end) - report.data()) : report.size();
    const std::string_view text(report.data(), length);
    if (std::string reason; !AppendToFile(path, text, reason)) {
        const std::string message = std::string(Text::DebugFileNotSaved) + "\n" + path + "\n(" + reason + ")";
        platform.host.ShowMessageBox(message, "", MessageIcon::Exclamation, MessageButtons::Ok);
    }
}

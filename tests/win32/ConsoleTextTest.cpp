// The console program's text beyond ASCII on Windows: its arguments are read from the UTF-16
// command line and reach it as UTF-8, and what it writes into a pipe is those UTF-8 bytes. For
// the run, a console shows UTF-8 and takes no QuickEdit click; afterwards it is as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"
#include "ui/console/ConsolePlatform.h"

namespace {

// The program's Windows path: under Wine, the build's own path on drive Z:.
std::wstring ProgramPath() {
    std::string path = FLASH_UPDATER_CLI_PATH;
    if (path.starts_with('/')) path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return WideText(path);
}

struct Ended {
    DWORD exitCode = 0;
    std::string output;  // standard output and error, as written
};

// flash-updater-cli.exe with these arguments (each in double quotes: none may hold one or end in
// a backslash), its standard output and error into one pipe, its standard input empty.
Ended RunCli(const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    Ended ended;
    if (!CreatePipe(&read, &write, &inherited, 0)) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return ended;
    }
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing =
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = write;
    startup.hStdError = write;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write);
    CloseHandle(nothing);
    if (!started) {
        ADD_FAILURE() << "CreateProcessW: " << GetLastError();
        CloseHandle(read);
        return ended;
    }
    char chunk[4096];
    for (DWORD n = 0; ReadFile(read, chunk, sizeof chunk, &n, nullptr) && n > 0;) ended.output.append(chunk, n);
    CloseHandle(read);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60'000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &ended.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended;
}

TEST(ConsoleText, APathBeyondTheAnsiCodePageReachesTheProgramAndItsMessageIntact) {
    // 'ł' and Cyrillic: in no single ANSI code page together.
    const std::wstring journal = L"C:\\Users\\Pawe\u0142\\\u0416\u0443\u0440\u043D\u0430\u043B\\none.journal";
    const Ended ended = RunCli({L"--resume", journal});
    EXPECT_EQ(ended.exitCode, 2u) << ended.output;
    EXPECT_NE(ended.output.find("File does not exist: C:\\Users\\Pawe\xC5\x82\\"
                                "\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB\\none.journal"),
              std::string::npos)
        << ended.output;
}

// A journal that is there under such a path is taken: the option's check sees the same file.
TEST(ConsoleText, AnExistingJournalBeyondTheAnsiCodePageIsTaken) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"Pawe\u0142-\u0416\u0443\u0440\u043D\u0430\u043B";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring journal = folder + L"\\run.journal";
    const HANDLE file = CreateFileW(journal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    const Ended ended = RunCli({L"--resume", journal, L"--list-ports"});
    EXPECT_EQ(ended.exitCode, 0u) << ended.output;
    DeleteFileW(journal.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(ConsoleText, ForTheRunTheConsoleShowsUtf8WithoutQuickEditAndIsPutBackAfterwards) {
    if (GetConsoleWindow() == nullptr && !AllocConsole()) GTEST_SKIP() << "no console to be had";
    HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) GTEST_SKIP() << "no console input";
    const HANDLE standardInput = GetStdHandle(STD_INPUT_HANDLE);
    SetStdHandle(STD_INPUT_HANDLE, input);
    const DWORD before = ENABLE_QUICK_EDIT_MODE | ENABLE_EXTENDED_FLAGS | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT;
    ASSERT_TRUE(SetConsoleMode(input, before));
    ASSERT_TRUE(SetConsoleOutputCP(850));
    {
        const ConsoleSettingsForRun run;
        EXPECT_EQ(GetConsoleOutputCP(), static_cast<UINT>(CP_UTF8));
        ASSERT_TRUE(GetConsoleMode(input, &mode));
        EXPECT_EQ(mode & ENABLE_QUICK_EDIT_MODE, 0u);
        EXPECT_NE(mode & ENABLE_EXTENDED_FLAGS, 0u);
        EXPECT_NE(mode & ENABLE_LINE_INPUT, 0u) << "the other modes stay";
    }
    EXPECT_EQ(GetConsoleOutputCP(), 850u);
    ASSERT_TRUE(GetConsoleMode(input, &mode));
    EXPECT_EQ(mode, before);
    SetStdHandle(STD_INPUT_HANDLE, standardInput);
    CloseHandle(input);
}

}  // namespace

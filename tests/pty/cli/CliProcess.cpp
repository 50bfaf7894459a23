#include "CliProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

CliProcess::CliProcess(std::vector<std::string> args, const std::string& ports, Stdout kind, const std::string& input,
                       const std::string& stateFolder) {
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!input.empty()) {
        char path[] = "/tmp/flash-updater-cli-in-XXXXXX";
        const int fd = mkstemp(path);
        inputPath_ = path;
        if (fd < 0 || write(fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) return;
        close(fd);
    }
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : inputPath_.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    int childOut = -1;
    switch (kind) {
    case Stdout::Pipe: {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        out_ = out[0];
        childOut = out[1];
        break;
    }
    case Stdout::Terminal: {
        out_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (out_ < 0 || grantpt(out_) != 0 || unlockpt(out_) != 0) return;
        childOut = open(ptsname(out_), O_RDWR | O_NOCTTY | O_CLOEXEC);
        break;
    }
    case Stdout::File: {
        char path[] = "/tmp/flash-updater-cli-out-XXXXXX";
        childOut = mkstemp(path);
        filePath_ = path;
        break;
    }
    }
    posix_spawn_file_actions_adddup2(&actions, childOut, 1);

    // Journals never go into the user's own folder.
    statePath_ = stateFolder;
    if (statePath_.empty()) {
        char state[] = "/tmp/flash-updater-cli-state-XXXXXX";
        if (mkdtemp(state) == nullptr) return;
        statePath_ = state;
        ownStateFolder_ = true;
    }
    std::vector<std::string> environment = {"FLASH_UPDATER_PORTS=" + ports, "XDG_STATE_HOME=" + statePath_};
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("FLASH_UPDATER_PORTS=", 0) != 0 && entry.rfind("XDG_STATE_HOME=", 0) != 0)
            environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    args.insert(args.begin(), FLASH_UPDATER_CLI_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, FLASH_UPDATER_CLI_PATH, &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    if (childOut >= 0) close(childOut);
    err_ = err[0];
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
    if (!filePath_.empty()) unlink(filePath_.c_str());
    if (!inputPath_.empty()) unlink(inputPath_.c_str());
    if (ownStateFolder_) {
        std::error_code ignored;
        std::filesystem::remove_all(statePath_, ignored);
    }
}

bool CliProcess::Pump(int waitMs) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0) return false;
    if (poll(fds, 2, waitMs) <= 0) return true;
    std::string* sinks[2] = {&output_, &errors_};
    int* fdsOwned[2] = {&out_, &err_};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].revents == 0) continue;
        char chunk[4096];
        const ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
        if (n > 0) {
            sinks[i]->append(chunk, static_cast<size_t>(n));
        } else {  // end of the pipe, or EIO from a terminal whose other side is gone
            close(*fdsOwned[i]);
            *fdsOwned[i] = -1;
        }
    }
    return true;
}

bool CliProcess::WaitForOutput(const std::string& text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
    while (output_.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || out_ < 0 || !Pump(static_cast<int>(left.count()))) return false;
    }
    return true;
}

void CliProcess::CloseOutput() {
    if (out_ >= 0) close(out_);
    out_ = -1;
}

void CliProcess::Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
}

void CliProcess::Type(const std::string& keys) {
    if (out_ >= 0 && filePath_.empty()) (void)!write(out_, keys.data(), keys.size());
}

int CliProcess::WaitForExit() {
    // Both streams end when the program does.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
    while (err_ >= 0 || out_ >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return -1;
        Pump(static_cast<int>(left.count()));
    }
    int status = 0;
    rusage usage{};
    if (pid_ <= 0 || wait4(pid_, &status, 0, &usage) != pid_) return -1;
    pid_ = -1;
    for (const timeval& time : {usage.ru_utime, usage.ru_stime})
        cpuSeconds_ += static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    if (!filePath_.empty()) {
        std::ifstream file(filePath_, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        output_ = text.str();
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> CliProcess::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(output_);
    for (std::string text; std::getline(in, text);) {
        std::string shown;
        size_t column = 0;
        for (const char c : text) {
            if (c == '\r') {
                column = 0;
                continue;
            }
            if (column < shown.size())
                shown[column] = c;
            else
                shown.push_back(c);
            ++column;
        }
        shown.erase(shown.find_last_not_of(' ') + 1);
        lines.push_back(shown);
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

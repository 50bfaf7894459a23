#include "EcuSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

EcuSimProcess::EcuSimProcess(std::vector<std::string> args) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    args.insert(args.begin(), ECU_SIM_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, ECU_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (pid_ > 0) slavePath_ = ReadLine(out_, outBuffer_);
}

EcuSimProcess::~EcuSimProcess() {
    CloseLine();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
}

std::string EcuSimProcess::ReadLine(int fd, std::string& buffer) {
    for (;;) {
        const auto end = buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return line;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kLimitMs) <= 0) return {};
        char chunk[512];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

bool EcuSimProcess::OpenLine() {
    line_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return line_ >= 0 && SetBaud(9600);
}

void EcuSimProcess::CloseLine() {
    if (line_ >= 0) close(line_);
    line_ = -1;
}

bool EcuSimProcess::SetBaud(uint32_t baud) {
    termios t{};
    if (tcgetattr(line_, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    const speed_t speed = baud == 38400 ? B38400 : B9600;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    return tcsetattr(line_, TCSANOW, &t) == 0;
}

bool EcuSimProcess::Configure(const std::function<void(termios&)>& change) {
    termios t{};
    if (tcgetattr(line_, &t) != 0) return false;
    change(t);
    return tcsetattr(line_, TCSANOW, &t) == 0;
}

bool EcuSimProcess::Write(const std::vector<uint8_t>& bytes) {
    return write(line_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::vector<uint8_t> EcuSimProcess::Read(std::size_t count) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd p{line_, POLLIN, 0};
        if (poll(&p, 1, kLimitMs) <= 0) break;
        uint8_t chunk[256];
        const ssize_t n = read(line_, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (n <= 0) break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

bool EcuSimProcess::WaitForTrace(const std::string& text) {
    for (;;) {
        const std::string line = ReadLine(err_, errBuffer_);
        if (line.empty()) return false;
        if (line.find(text) != std::string::npos) return true;
    }
}

int EcuSimProcess::WaitForExit() {
    // The standard output reaches its end when the process ends.
    char chunk[256];
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        if (poll(&p, 1, kLimitMs) <= 0) return -1;
        if (read(out_, chunk, sizeof chunk) <= 0) break;
    }
    int status = 0;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void EcuSimProcess::PowerCycle() {
    if (pid_ > 0) kill(pid_, SIGUSR1);
}

#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) throw std::runtime_error("no pty");
    slavePath_ = ::ptsname(master_);
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() { CloseMaster(); }

void PseudoTerminal::Write(const Bytes& bytes) {
    if (::write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("pty write");
}

Bytes PseudoTerminal::ReadAvailable() {
    Bytes bytes;
    uint8_t chunk[512];
    ssize_t got;
    while ((got = ::read(master_, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

termios PseudoTerminal::SlaveSettings() const {
    termios settings{};
    ::tcgetattr(master_, &settings);
    return settings;
}

bool PseudoTerminal::SlaveClosed() const {
    pollfd master{master_, POLLIN, 0};
    return ::poll(&master, 1, 0) == 1 && (master.revents & POLLHUP);
}

void PseudoTerminal::CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

std::string LineSettingsText(const termios& settings) {
    char text[128];
    std::snprintf(text, sizeof text, "iflag %#x oflag %#x cflag %#x lflag %#x ispeed %u ospeed %u cc", settings.c_iflag,
                  settings.c_oflag, settings.c_cflag, settings.c_lflag, cfgetispeed(&settings), cfgetospeed(&settings));
    std::string described = text;
    for (const cc_t c : settings.c_cc) described += ' ' + std::to_string(c);
    return described;
}

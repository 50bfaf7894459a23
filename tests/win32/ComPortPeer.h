#pragma once

#include <winsock2.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The far end of the COM ports, played on the Linux side of Wine by com_port_peer.py, which
// started this program and linked the ports to pseudo-terminals.
class ComPortPeer {
public:
    ComPortPeer();
    ~ComPortPeer();
    ComPortPeer(const ComPortPeer&) = delete;
    ComPortPeer& operator=(const ComPortPeer&) = delete;

    // Whether the program runs under the peer at all.
    bool Connected() const { return socket_ != INVALID_SOCKET; }
    // The line setting as the pseudo-terminal has it, e.g. "38400 38400 8N1 crtscts=0 ixon=0 ixoff=0".
    std::string LineSetting(int comNumber);
    void Send(int comNumber, const std::vector<uint8_t>& bytes);
    // What the program wrote to the port: up to `count` bytes, waiting up to `deadline` for them.
    std::vector<uint8_t> Received(int comNumber, size_t count, std::chrono::milliseconds deadline);

private:
    std::string Ask(const std::string& request);

    SOCKET socket_ = INVALID_SOCKET;
    std::string pending_;
};

#include "ComPortPeer.h"

#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>

ComPortPeer::ComPortPeer() {
    const char* port = std::getenv("FLASH_COM_PEER");
    WSADATA data;
    if (!port || WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ != INVALID_SOCKET &&
        connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
}

ComPortPeer::~ComPortPeer() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    WSACleanup();
}

std::string ComPortPeer::Ask(const std::string& request) {
    const std::string line = request + "\n";
    if (send(socket_, line.data(), static_cast<int>(line.size()), 0) != static_cast<int>(line.size())) return {};
    for (;;) {
        if (const size_t end = pending_.find('\n'); end != std::string::npos) {
            std::string answer = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return answer;
        }
        char chunk[512];
        const int got = recv(socket_, chunk, sizeof chunk, 0);
        if (got <= 0) return {};
        pending_.append(chunk, static_cast<size_t>(got));
    }
}

std::string ComPortPeer::LineSetting(int comNumber) { return Ask("termios " + std::to_string(comNumber)); }

void ComPortPeer::Send(int comNumber, const std::vector<uint8_t>& bytes) {
    std::string hex;
    for (const uint8_t byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    Ask("write " + std::to_string(comNumber) + " " + hex);
}

std::vector<uint8_t> ComPortPeer::Received(int comNumber, size_t count, std::chrono::milliseconds deadline) {
    const std::string hex =
        Ask("read " + std::to_string(comNumber) + " " + std::to_string(count) + " " + std::to_string(deadline.count()));
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

#pragma once
// A one-shot http server that sends a file's head and the first part of its body, then nothing
// more until the client goes away: a download caught halfway, for as long as a test needs.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace varneth::testing {

class TrickleServer {
  public:
    TrickleServer(std::size_t totalBytes, std::size_t sentBytes) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 1);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, totalBytes, sentBytes] { Serve(totalBytes, sentBytes); });
    }
    ~TrickleServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    TrickleServer(const TrickleServer&) = delete;
    TrickleServer& operator=(const TrickleServer&) = delete;

    std::string Address(const std::string& target) const {
        return "http://127.0.0.1:" + std::to_string(port_) + target;
    }
    bool bodySent() const { return bodySent_; }

  private:
    bool WaitReadable(int fd) {
        pollfd watched{fd, POLLIN, 0};
        while (!stop_) {
            if (::poll(&watched, 1, 50) > 0)
                return true;
        }
        return false;
    }

    void Serve(std::size_t totalBytes, std::size_t sentBytes) {
        if (!WaitReadable(listener_))
            return;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            return;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && WaitReadable(client)) {
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(got));
        }
        const std::string response =
            "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
            std::to_string(totalBytes) + "\r\n\r\n" + std::string(sentBytes, 'p');
        ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
        bodySent_ = true;
        // Nothing more: wait until the client closes or the test ends.
        while (WaitReadable(client) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(client);
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> bodySent_{false};
    std::thread thread_;
};

}  // namespace varneth::testing

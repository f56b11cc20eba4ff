#include "support/server_connection.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace varneth::testing {

namespace {
constexpr int kDrainMs = 1000;
}

ServerConnection::ServerConnection(int socketFd, int stopFd, int idleTimeoutMs)
    : fd_(socketFd), stopFd_(stopFd), idleTimeoutMs_(idleTimeoutMs) {}

ServerConnection::~ServerConnection() {
    if (ssl_ != nullptr)
        SSL_free(ssl_);
    ::close(fd_);
    ERR_clear_error();  // OpenSSL keeps errors per thread; leave none behind
}

ServerConnection::Wait ServerConnection::WaitFor(short events, int timeoutMs) {
    pollfd fds[2] = {{fd_, events, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Wait::Stopped;
        if (n == 0)
            return Wait::TimedOut;
        if (fds[1].revents != 0)
            return Wait::Stopped;
        return Wait::Ready;  // readable, writable, or hung up: the next call tells which
    }
}

bool ServerConnection::PeekFirstByte(unsigned char& byte) {
    for (;;) {
        ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK);
        if (n == 1)
            return true;
        if (n == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (WaitFor(POLLIN, idleTimeoutMs_) != Wait::Ready)
            return false;
    }
}

bool ServerConnection::RetryTls(int result) {
    switch (SSL_get_error(ssl_, result)) {
        case SSL_ERROR_WANT_READ:
            return WaitFor(POLLIN, idleTimeoutMs_) == Wait::Ready;
        case SSL_ERROR_WANT_WRITE:
            return WaitFor(POLLOUT, idleTimeoutMs_) == Wait::Ready;
        default:
            return false;
    }
}

bool ServerConnection::AcceptTls(SSL_CTX* context) {
    ssl_ = SSL_new(context);
    if (ssl_ == nullptr || SSL_set_fd(ssl_, fd_) != 1)
        return false;
    for (;;) {
        int result = SSL_accept(ssl_);
        if (result == 1)
            return true;
        if (!RetryTls(result))
            return false;
    }
}

long ServerConnection::ReadSome(char* buffer, std::size_t capacity) {
    for (;;) {
        if (ssl_ != nullptr) {
            int n =
                SSL_read(ssl_, buffer, static_cast<int>(std::min<std::size_t>(capacity, 1 << 20)));
            if (n > 0)
                return n;
            int error = SSL_get_error(ssl_, n);
            if (error == SSL_ERROR_ZERO_RETURN)
                return 0;
            if (!RetryTls(n))
                return -1;
            continue;
        }
        ssize_t n = ::recv(fd_, buffer, capacity, 0);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        if (WaitFor(POLLIN, idleTimeoutMs_) != Wait::Ready)
            return -1;
    }
}

bool ServerConnection::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        if (ssl_ != nullptr) {
            // A retried SSL_write must repeat the same arguments, so the piece stays fixed.
            int piece = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 18));
            int n = SSL_write(ssl_, bytes.data(), piece);
            if (n > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(n));
                continue;
            }
            if (!RetryTls(n))
                return false;
            continue;
        }
        ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        if (WaitFor(POLLOUT, idleTimeoutMs_) != Wait::Ready)
            return false;
    }
    return true;
}

void ServerConnection::WaitForPeerCloseOrStop() {
    char sink[4096];
    for (;;) {
        if (WaitFor(POLLIN, -1) != Wait::Ready)
            return;
        ssize_t n = ::recv(fd_, sink, sizeof sink, 0);
        if (n == 0)
            return;
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
    }
}

void ServerConnection::Finish() {
    if (ssl_ != nullptr)
        SSL_shutdown(ssl_);  // one close_notify; the client's is not awaited
    ::shutdown(fd_, SHUT_WR);
    // Closing with unread input would reset the connection and could destroy the response in
    // flight, so read until the client closes (bounded).
    char sink[4096];
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrainMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0 || WaitFor(POLLIN, static_cast<int>(left)) != Wait::Ready)
            return;
        ssize_t n = ::recv(fd_, sink, sizeof sink, 0);
        if (n == 0)
            return;
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
    }
}

}  // namespace varneth::testing

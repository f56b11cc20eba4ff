#pragma once
// One accepted connection of the loopback server, plain or TLS, on a non-blocking socket. Every
// wait also watches the server's stop signal, so that stopping the server never waits on a slow
// or silent client, and gives up after an idle time so that a bad client cannot hold a thread.
#include <openssl/types.h>

#include <cstddef>
#include <string_view>

namespace varneth::testing {

class ServerConnection {
  public:
    ServerConnection(int socketFd, int stopFd, int idleTimeoutMs);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Waits for the first byte without consuming it; false when none comes.
    bool PeekFirstByte(unsigned char& byte);
    bool AcceptTls(SSL_CTX* context);
    bool tls() const { return ssl_ != nullptr; }

    // Bytes read (> 0), 0 at the end of the stream, -1 on error, time-out or stop.
    long ReadSome(char* buffer, std::size_t capacity);
    bool WriteAll(std::string_view bytes);
    // Waits until the client goes away or the server stops (bytes that arrive are dropped).
    void WaitForPeerCloseOrStop();
    // Ends the response: TLS close_notify, then half-close and a short drain, so that the
    // client reads everything before the socket goes away.
    void Finish();

  private:
    enum class Wait { Ready, TimedOut, Stopped };
    Wait WaitFor(short events, int timeoutMs);
    // For an OpenSSL call that returned `result`: waits as it asks and says whether to retry.
    bool RetryTls(int result);

    int fd_;
    int stopFd_;
    int idleTimeoutMs_;
    SSL* ssl_ = nullptr;
};

}  // namespace varneth::testing

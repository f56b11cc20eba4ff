#pragma once
// Certificates made in memory for the loopback site: a CA and a server certificate it signed
// (for IP 127.0.0.1 and DNS localhost). Nothing touches the disk.
#include <openssl/types.h>

#include <memory>
#include <string>

namespace varneth::testing {

struct SslCtxDeleter {
    void operator()(SSL_CTX* ctx) const;
};
using SslCtx = std::unique_ptr<SSL_CTX, SslCtxDeleter>;

struct TestPki {
    std::string caPem;     // the CA a client must trust to accept `serverContext`
    SslCtx serverContext;  // serves the certificate signed by that CA, with its key
};

// Makes a fresh CA (named `caName`) and a server certificate signed by it. Aborts the process
// when OpenSSL cannot: a test without its certificate could only give misleading results.
TestPki MakeTestPki(const std::string& caName);

}  // namespace varneth::testing

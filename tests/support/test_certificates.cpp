#include "support/test_certificates.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>

namespace varneth::testing {

void SslCtxDeleter::operator()(SSL_CTX* ctx) const {
    SSL_CTX_free(ctx);
}

namespace {

struct PkeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct X509Deleter {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct BioDeleter {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyDeleter>;
using Cert = std::unique_ptr<X509, X509Deleter>;
using Bio = std::unique_ptr<BIO, BioDeleter>;

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "test certificates: %s failed\n", what);
        std::abort();
    }
}

// P-256 keys: generated in about a millisecond, so every server can have its own.
Pkey NewKey() {
    Pkey key(EVP_EC_gen("P-256"));
    Require(key != nullptr, "key generation");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    Require(ext != nullptr, "certificate extension");
    Require(X509_add_ext(cert, ext, -1) == 1, "adding an extension");
    X509_EXTENSION_free(ext);
}

Cert NewCertificate(EVP_PKEY* key, const std::string& commonName) {
    Cert cert(X509_new());
    Require(cert != nullptr, "X509_new");
    X509_set_version(cert.get(), 2);
    unsigned char serial[16];
    Require(RAND_bytes(serial, sizeof serial) == 1, "serial number");
    serial[0] &= 0x7f;  // a positive serial
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    Require(number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get())),
            "serial number");
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30L * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    Require(X509_set_pubkey(cert.get(), key) == 1, "public key");
    return cert;
}

std::string ToPem(X509* cert) {
    Bio bio(BIO_new(BIO_s_mem()));
    Require(bio && PEM_write_bio_X509(bio.get(), cert) == 1, "PEM output");
    char* data = nullptr;
    long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

}  // namespace

TestPki MakeTestPki(const std::string& caName) {
    Pkey caKey = NewKey();
    Cert ca = NewCertificate(caKey.get(), caName);
    X509_set_issuer_name(ca.get(), X509_get_subject_name(ca.get()));
    AddExtension(ca.get(), ca.get(), NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(ca.get(), ca.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(ca.get(), ca.get(), NID_subject_key_identifier, "hash");
    Require(X509_sign(ca.get(), caKey.get(), EVP_sha256()) > 0, "signing the CA");

    Pkey serverKey = NewKey();
    Cert server = NewCertificate(serverKey.get(), "localhost");
    X509_set_issuer_name(server.get(), X509_get_subject_name(ca.get()));
    AddExtension(server.get(), ca.get(), NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(server.get(), ca.get(), NID_key_usage, "critical,digitalSignature");
    AddExtension(server.get(), ca.get(), NID_ext_key_usage, "serverAuth");
    AddExtension(server.get(), ca.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    AddExtension(server.get(), ca.get(), NID_authority_key_identifier, "keyid:always");
    Require(X509_sign(server.get(), caKey.get(), EVP_sha256()) > 0, "signing the server");

    SslCtx context(SSL_CTX_new(TLS_server_method()));
    Require(context != nullptr, "SSL_CTX_new");
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    Require(SSL_CTX_use_certificate(context.get(), server.get()) == 1, "server certificate");
    Require(SSL_CTX_use_PrivateKey(context.get(), serverKey.get()) == 1, "server key");
    Require(SSL_CTX_check_private_key(context.get()) == 1, "key check");
    // The server answers one request per connection: no session cache needed.
    SSL_CTX_set_session_cache_mode(context.get(), SSL_SESS_CACHE_OFF);
    return TestPki{ToPem(ca.get()), std::move(context)};
}

}  // namespace varneth::testing

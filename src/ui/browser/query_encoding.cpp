#include "ui/browser/query_encoding.h"

#include "text/codepage.h"

namespace varneth {

namespace {

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

}  // namespace

std::string PercentEncodeUtf8(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

Text EncodeQueryValue(const Text& local) {
    return Text(PercentEncodeUtf8(LocalToUtf8(local)));
}

}  // namespace varneth

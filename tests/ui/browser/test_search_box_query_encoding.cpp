// A search text or a film name becomes one query value: UTF-8, unreserved characters kept,
// every other byte %XX.
#include <gtest/gtest.h>

#include "text/codepage.h"
#include "ui/browser/query_encoding.h"

namespace varneth {
namespace {

struct Case {
    const char* utf8;
    const char* encoded;
};

TEST(QueryEncoding, KeepsUnreservedAndEncodesEverythingElse) {
    const Case cases[] = {
        {"", ""},
        {"Alien", "Alien"},
        {"AZaz09-._~", "AZaz09-._~"},
        // Characters that would end or split the value, or be read as a space, stay inside it.
        {"A&B #1", "A%26B%20%231"},
        {"1+1=2?x/y%", "1%2B1%3D2%3Fx%2Fy%25"},
        {"   ", "%20%20%20"},
        {" Iron Man ", "%20Iron%20Man%20"},
        {"\"<>'", "%22%3C%3E%27"},
        {"\t\r\n", "%09%0D%0A"},
        {"中文", "%E4%B8%AD%E6%96%87"},
        {"异形，外星人", "%E5%BC%82%E5%BD%A2%EF%BC%8C%E5%A4%96%E6%98%9F%E4%BA%BA"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PercentEncodeUtf8(c.utf8), c.encoded) << c.utf8;
        // The program's own texts are code page 936: they are converted to Unicode first.
        EXPECT_EQ(EncodeQueryValue(Local(c.utf8)), Text(c.encoded)) << c.utf8;
    }
}

TEST(QueryEncoding, EncodesEveryByteValueOutsideTheUnreservedSet) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string encoded = PercentEncodeUtf8(all);
    // 66 unreserved bytes stay as one character, the other 190 become three.
    EXPECT_EQ(encoded.size(), 66u + 190u * 3u);
    EXPECT_EQ(encoded.substr(0, 6), "%00%01");
    EXPECT_EQ(encoded.substr(encoded.size() - 6), "%FE%FF");
    EXPECT_EQ(encoded.find_first_not_of(
                  "%0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-._~"),
              std::string::npos);
}

}  // namespace
}  // namespace varneth

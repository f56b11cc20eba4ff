// The matcher's table conversion must give exactly what the general conversion gives, for
// every character of the code page and for broken sequences alike.
#include <gtest/gtest.h>

#include <string>

#include "matcher/table_conversion.h"
#include "text/codepage.h"

namespace varneth {
namespace {

TEST(TableConversion, EveryByteSequenceAsTheGeneralConversion) {
    for (unsigned first = 0x01; first <= 0xFF; ++first) {
        for (unsigned second = 0x01; second <= 0xFF; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            for (const std::string& bytes : {pair, "a" + pair + "b", pair + "\xD6\xD0"}) {
                const Text text(bytes);
                ASSERT_EQ(TableLocalToUtf16(text), LocalToUtf16(text))
                    << std::hex << first << " " << second;
            }
        }
        const Text alone(std::string(1, static_cast<char>(first)));
        ASSERT_EQ(TableLocalToUtf16(alone), LocalToUtf16(alone)) << std::hex << first;
        const Text last = Text("\xD6\xD0") + alone;  // a lead byte that ends the text
        ASSERT_EQ(TableLocalToUtf16(last), LocalToUtf16(last)) << std::hex << first;
    }
    EXPECT_EQ(TableLocalToUtf16(Text()), std::u16string());
}

TEST(TableConversion, EveryUnitBackAsTheGeneralConversion) {
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        ASSERT_EQ(TableUtf16ToLocal(one), Utf16ToLocal(one)) << std::hex << unit;
        const std::u16string inText = u"ab" + one + u"\u4E2D";
        ASSERT_EQ(TableUtf16ToLocal(inText), Utf16ToLocal(inText)) << std::hex << unit;
    }
    const std::u16string pair = u"x\U0001F600y";  // a surrogate pair, which the code page lacks
    EXPECT_EQ(TableUtf16ToLocal(pair), Utf16ToLocal(pair));
    EXPECT_EQ(TableUtf16ToLocal(u""), Text());
}

TEST(TableConversion, PageTextRoundTrips) {
    const Text page = Local("<td title=\"命運之夜 €5\">中文字幕　2024</td>\r\n");
    const std::u16string units = TableLocalToUtf16(page);
    EXPECT_EQ(units, u"<td title=\"命運之夜 €5\">中文字幕　2024</td>\r\n");
    EXPECT_EQ(TableUtf16ToLocal(units), page);
}

}  // namespace
}  // namespace varneth

#include "matcher/table_conversion.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "text/codepage.h"

namespace varneth {
namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLastLead = 0xFE;

bool IsTrailCandidate(unsigned byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

bool IsPlainUnit(char16_t unit) {
    return unit >= 0x80 && unit != kReplacementCharacter && !(unit >= 0xD800 && unit <= 0xDFFF);
}

// Every entry is taken from the general conversion and checked there, so a table hit and the
// general route can never disagree; what the tables do not hold takes the general route.
class ConversionTables {
  public:
    ConversionTables() {
        FillDoubleByte();
        FillSingleByte();
        FillReverse();
    }

    // The unit of the double-byte character lead, trail (lead 0x80 or above); 0 when it is not
    // a plain character.
    [[nodiscard]] char16_t DoubleByte(unsigned char lead, unsigned char trail) const {
        return double_[(lead - 0x80u) * 256u + trail];
    }
    // The unit of a byte of 0x80 or above that is a character by itself (the euro sign); 0 else.
    [[nodiscard]] char16_t SingleByte(unsigned char byte) const { return single_[byte - 0x80u]; }
    // The code-page bytes of a unit of 0x80 or above: high byte first, a value below 0x100 is
    // one byte; 0 when the unit takes the general route.
    [[nodiscard]] std::uint16_t Reverse(char16_t unit) const { return reverse_[unit]; }

  private:
    void FillDoubleByte() {
        for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
            std::string pairs;
            std::vector<unsigned> trails;
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (!IsTrailCandidate(trail))
                    continue;
                pairs.push_back(static_cast<char>(lead));
                pairs.push_back(static_cast<char>(trail));
                trails.push_back(trail);
            }
            // One conversion per lead byte; when a pair of it is not a plain character the
            // units no longer line up, and each pair is converted on its own.
            const std::u16string units = LocalToUtf16(Text(pairs));
            bool allPlain = units.size() == trails.size();
            for (std::size_t i = 0; allPlain && i < units.size(); ++i)
                allPlain = IsPlainUnit(units[i]);
            for (std::size_t i = 0; i < trails.size(); ++i) {
                char16_t unit = 0;
                if (allPlain) {
                    unit = units[i];
                } else {
                    const std::u16string one = LocalToUtf16(Text(pairs.substr(2 * i, 2)));
                    if (one.size() == 1 && IsPlainUnit(one[0]))
                        unit = one[0];
                }
                double_[(lead - 0x80u) * 256u + trails[i]] = unit;
            }
        }
    }

    void FillSingleByte() {
        // A byte counts as a character by itself only when the conversion takes it so also in
        // front of a letter and in front of a double-byte character.
        const char16_t probe = DoubleByte(0xB0, 0xA1);
        for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
            const std::string alone(1, static_cast<char>(byte));
            const std::u16string one = LocalToUtf16(Text(alone));
            if (one.size() != 1 || !IsPlainUnit(one[0]) || probe == 0)
                continue;
            const std::u16string beforeLetter = LocalToUtf16(Text(alone + "A"));
            const std::u16string beforeDouble = LocalToUtf16(Text(alone + "\xB0\xA1"));
            if (beforeLetter == std::u16string{one[0], u'A'} &&
                beforeDouble == std::u16string{one[0], probe}) {
                single_[byte - 0x80u] = one[0];
            }
        }
    }

    void FillReverse() {
        // A unit's bytes are what Utf16ToLocal makes of it; units of the forward tables are
        // checked in one conversion per lead byte, the rest one by one.
        for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) {
            std::u16string units;
            std::string expected;
            for (unsigned trail = 0; trail <= 0xFF; ++trail) {
                const char16_t unit = double_[(lead - 0x80u) * 256u + trail];
                if (unit == 0)
                    continue;
                units.push_back(unit);
                expected.push_back(static_cast<char>(lead));
                expected.push_back(static_cast<char>(trail));
            }
            if (Utf16ToLocal(units).str() == expected) {
                for (std::size_t i = 0; i < units.size(); ++i)
                    reverse_[units[i]] = static_cast<std::uint16_t>(
                        (static_cast<unsigned char>(expected[2 * i]) << 8) |
                        static_cast<unsigned char>(expected[2 * i + 1]));
            } else {
                for (char16_t unit : units)
                    AddReverse(unit);
            }
        }
        for (char16_t unit : single_)
            if (unit != 0)
                AddReverse(unit);
    }

    void AddReverse(char16_t unit) {
        const Text bytes = Utf16ToLocal(std::u16string_view(&unit, 1));
        if (bytes.size() == 2 && bytes.byteAt(0) >= kFirstLead) {
            reverse_[unit] = static_cast<std::uint16_t>((bytes.byteAt(0) << 8) | bytes.byteAt(1));
        } else if (bytes.size() == 1 && bytes.byteAt(0) >= 0x80) {
            reverse_[unit] = bytes.byteAt(0);
        }
    }

    std::array<char16_t, 0x80 * 256> double_{};  // lead bytes 0x80 to 0xFF, by trail byte
    std::array<char16_t, 0x80> single_{};
    std::array<std::uint16_t, 0x10000> reverse_{};
};

const ConversionTables& Tables() {
    static const ConversionTables tables;
    return tables;
}

// Length of the run of ASCII bytes at the start of `bytes`, read eight at a time: pages are
// mostly markup.
std::size_t AsciiRunLength(const unsigned char* bytes, std::size_t size) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (const std::uint64_t high = word & 0x8080808080808080ULL; high != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(high)
                                                                       : std::countl_zero(high);
            return i + static_cast<std::size_t>(bit / 8);
        }
    }
    while (i < size && bytes[i] < 0x80)
        ++i;
    return i;
}

}  // namespace

std::u16string TableLocalToUtf16(const Text& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const std::size_t size = text.size();
    // Converted piece by piece through a small buffer and appended: a page is converted in one
    // pass over its memory, with no clearing of the whole result first.
    constexpr std::size_t kPiece = 4096;
    char16_t piece[kPiece];
    std::u16string out;
    out.reserve(size);
    const ConversionTables& tables = Tables();
    for (std::size_t i = 0; i < size;) {
        char16_t* unit = piece;
        const std::size_t pieceEnd = std::min(size, i + kPiece);  // at most one unit per byte
        while (i < pieceEnd) {
            const std::size_t run = AsciiRunLength(bytes + i, pieceEnd - i);
            for (std::size_t k = 0; k < run; ++k)
                unit[k] = bytes[i + k];  // widened in bulk
            unit += run;
            i += run;
            // Then the characters of 0x80 and above, as long as they come (titles are runs of
            // them); a pair may reach one byte past the piece, never past the text.
            for (; i < pieceEnd && bytes[i] >= 0x80; ++unit) {
                const unsigned char byte = bytes[i];
                if (i + 1 < size) {
                    if (const char16_t pair = tables.DoubleByte(byte, bytes[i + 1]); pair != 0) {
                        *unit = pair;
                        i += 2;
                        continue;
                    }
                }
                const char16_t single = tables.SingleByte(byte);
                if (single == 0)
                    return LocalToUtf16(text);  // a broken or unusual sequence
                *unit = single;
                ++i;
            }
        }
        out.append(piece, static_cast<std::size_t>(unit - piece));
    }
    return out;
}

Text TableUtf16ToLocal(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 2);
    const ConversionTables& tables = Tables();
    for (char16_t unit : utf16) {
        if (unit < 0x80) {
            out.push_back(static_cast<char>(unit));
            continue;
        }
        const std::uint16_t bytes = tables.Reverse(unit);
        if (bytes == 0)
            return Utf16ToLocal(utf16);  // a character the tables do not hold
        if (bytes >= 0x100)
            out.push_back(static_cast<char>(bytes >> 8));
        out.push_back(static_cast<char>(bytes & 0xFF));
    }
    return Text(std::move(out));
}

}  // namespace varneth

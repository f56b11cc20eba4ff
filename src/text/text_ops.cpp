#include "text/text_ops.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace varneth {
namespace {

unsigned char ByteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

char FoldAscii(char byte) {
    return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte + 32) : byte;
}

// Compares `needle` with the bytes of `haystack` at `at`. Folding follows the needle's own
// characters, so a trail byte that happens to lie in A to Z is always compared exactly.
bool MatchesAt(std::string_view haystack, std::size_t at, std::string_view needle,
               bool caseInsensitive) {
    if (haystack.size() - at < needle.size())
        return false;
    if (!caseInsensitive)
        return std::memcmp(haystack.data() + at, needle.data(), needle.size()) == 0;
    for (std::size_t i = 0; i < needle.size();) {
        if (IsLeadByte(ByteAt(needle, i))) {
            std::size_t length = CharLength(needle, i);
            if (std::memcmp(haystack.data() + at + i, needle.data() + i, length) != 0)
                return false;
            i += length;
        } else {
            if (FoldAscii(haystack[at + i]) != FoldAscii(needle[i]))
                return false;
            ++i;
        }
    }
    return true;
}

// 0-based index of the first match at a character boundary counted from `from`, or npos.
std::size_t FindIndex(std::string_view haystack, std::string_view needle, std::size_t from,
                      bool caseInsensitive) {
    if (from >= haystack.size())
        return std::string_view::npos;
    if (needle.empty())
        return 0;  // found at the first byte, whatever the start (see header)
    const std::size_t size = haystack.size();
    if (size - from < needle.size())
        return std::string_view::npos;
    const char first = FoldAscii(needle.front());
    const bool foldFirst = caseInsensitive && !IsLeadByte(ByteAt(needle, 0));
    for (std::size_t i = from; i + needle.size() <= size;) {
        const char byte = haystack[i];
        if ((foldFirst ? FoldAscii(byte) : byte) == (foldFirst ? first : needle.front()) &&
            MatchesAt(haystack, i, needle, caseInsensitive)) {
            return i;
        }
        i += IsLeadByte(static_cast<unsigned char>(byte)) ? 2 : 1;
    }
    return std::string_view::npos;
}

bool IsSpaceAt(std::string_view text, std::size_t index) {
    if (text[index] == ' ')
        return true;
    return ByteAt(text, index) == 0xA1 && index + 1 < text.size() &&
           ByteAt(text, index + 1) == 0xA1;
}

}  // namespace

std::size_t CharLength(std::string_view text, std::size_t index) {
    if (index + 1 < text.size() && IsLeadByte(ByteAt(text, index)))
        return 2;
    return 1;
}

int Find(std::string_view haystack, std::string_view needle, int start, bool caseInsensitive) {
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
    const std::size_t index = FindIndex(haystack, needle, from, caseInsensitive);
    return index == std::string_view::npos ? -1 : static_cast<int>(index) + 1;
}

int Find(const Text& haystack, const Text& needle, int start, bool caseInsensitive) {
    return Find(haystack.view(), needle.view(), start, caseInsensitive);
}

int FindLast(const Text& haystack, const Text& needle, int endBefore) {
    std::string_view text = haystack.view();
    if (endBefore < 0)
        return -1;
    if (endBefore > 0)
        text = text.substr(0, std::min<std::size_t>(text.size(), endBefore - 1));
    int last = -1;
    for (std::size_t from = 0;;) {
        const std::size_t index = FindIndex(text, needle.view(), from, false);
        if (index == std::string_view::npos)
            break;
        last = static_cast<int>(index) + 1;
        if (needle.empty())
            break;
        from = index + CharLength(text, index);
    }
    return last;
}

bool Contains(const Text& haystack, const Text& needle, bool caseInsensitive) {
    return Find(haystack, needle, 1, caseInsensitive) != -1;
}

Text AsciiLower(const Text& text) {
    std::string lower(text.view());
    for (std::size_t i = 0; i < lower.size();) {
        if (IsLeadByte(static_cast<unsigned char>(lower[i]))) {
            i += CharLength(lower, i);
        } else {
            lower[i] = FoldAscii(lower[i]);
            ++i;
        }
    }
    return Text(std::move(lower));
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && MatchesAt(a, 0, b, true);
}

Text Trim(const Text& text) {
    std::string_view view = text.view();
    std::size_t begin = 0;
    while (begin < view.size() && IsSpaceAt(view, begin))
        begin += view[begin] == ' ' ? 1 : 2;
    // Walk forward so that an A1 A1 pair is only taken where it is a whole character.
    std::size_t end = begin;
    for (std::size_t i = begin; i < view.size();) {
        const bool space = IsSpaceAt(view, i);
        const std::size_t length = space && view[i] != ' ' ? 2 : CharLength(view, i);
        i += length;
        if (!space)
            end = i;
    }
    return Text(view.substr(begin, end - begin));
}

std::vector<Text> Split(const Text& text, const Text& separator) {
    std::vector<Text> pieces;
    std::string_view view = text.view();
    if (view.empty())
        return pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    std::size_t from = 0;
    while (from < view.size()) {
        const std::size_t at = FindIndex(view, separator.view(), from, false);
        if (at == std::string_view::npos) {
            pieces.emplace_back(view.substr(from));
            break;
        }
        pieces.emplace_back(view.substr(from, at - from));
        from = at + separator.size();
    }
    return pieces;
}

Text Join(const std::vector<Text>& pieces, const Text& separator) {
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            joined += separator.view();
        joined += pieces[i].view();
    }
    return Text(std::move(joined));
}

Text ReplaceAll(const Text& text, const Text& from, const Text& to, bool caseInsensitive) {
    if (from.empty())
        return text;
    std::string_view view = text.view();
    std::string result;
    result.reserve(view.size());
    std::size_t copied = 0;
    for (std::size_t at = FindIndex(view, from.view(), 0, caseInsensitive);
         at != std::string_view::npos; at = FindIndex(view, from.view(), copied, caseInsensitive)) {
        result.append(view.substr(copied, at - copied));
        result.append(to.view());
        copied = at + from.size();
    }
    result.append(view.substr(std::min(copied, view.size())));
    return Text(std::move(result));
}

Text RemoveByte(const Text& text, char byte) {
    std::string result;
    result.reserve(text.size());
    for (char c : text.view()) {
        if (c != byte)
            result.push_back(c);
    }
    return Text(std::move(result));
}

Text Mid(const Text& text, int start, int count) {
    if (start < 1 || start > text.length() || count <= 0)
        return {};
    return Text(
        text.view().substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

Text MidToEnd(const Text& text, int start) {
    if (start < 1 || start > text.length())
        return {};
    return Text(text.view().substr(static_cast<std::size_t>(start) - 1));
}

Text Left(const Text& text, int count) {
    if (count <= 0)
        return {};
    return Text(text.view().substr(0, static_cast<std::size_t>(count)));
}

Text Right(const Text& text, int count) {
    if (count <= 0)
        return {};
    const std::size_t keep = std::min<std::size_t>(text.size(), static_cast<std::size_t>(count));
    return Text(text.view().substr(text.size() - keep));
}

Text Decimal(std::int64_t value) {
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;  // 24 bytes always hold a 64-bit value
    return Text(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

int LeadingNumber(const Text& text) {
    // Saturates rather than overflowing: "99999999999" reads as the largest int.
    long long value = 0;
    for (char c : text.view()) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

}  // namespace varneth

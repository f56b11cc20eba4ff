#include "text/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace varneth {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// One iconv descriptor per direction and thread, opened on first use and closed at thread exit.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid())
            iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    [[nodiscard]] bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Back to the initial shift state, so that a call never sees what a failed one left behind.
    iconv_t reset() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

  private:
    iconv_t cd_;
};

IconvHandle& Utf8ToCp936Handle() {
    thread_local IconvHandle handle("CP936", "UTF-8");
    return handle;
}

IconvHandle& Cp936ToUtf8Handle() {
    thread_local IconvHandle handle("UTF-8", "CP936");
    return handle;
}

// Length of the well-formed UTF-8 sequence at `i`, or 0 when it is ill-formed. Follows the
// Unicode table of well-formed byte sequences: no overlong forms, no surrogates, nothing above
// U+10FFFF. On failure `*consumed` is the maximal ill-formed subpart, which becomes one U+FFFD.
std::size_t Utf8SequenceAt(const unsigned char* s, std::size_t size, std::size_t i,
                           char32_t* codePoint, std::size_t* consumed) {
    const unsigned char lead = s[i];
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    char32_t value;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        *consumed = 1;
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= size) {
            *consumed = k;
            return 0;
        }
        const unsigned char byte = s[i + k];
        if (byte < low || byte > high) {
            *consumed = k;
            return 0;
        }
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (byte & 0x3F);
    }
    *codePoint = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void GrowOutput(std::string& out, char*& outPtr, std::size_t& outLeft) {
    const std::size_t used = static_cast<std::size_t>(outPtr - out.data());
    out.resize(out.size() * 2 + 16);
    outPtr = out.data() + used;
    outLeft = out.size() - used;
}

// Converts in one pass over the whole text. iconv stops at every byte it cannot take; there a
// character code page 936 lacks becomes "?", and so does each maximal ill-formed subpart of
// invalid UTF-8 (it would become U+FFFD, which code page 936 lacks as well). How many bytes to
// skip is decided by our own table; glibc's decoder stops on every ill-formed sequence (checked
// against decoding through UTF-16 for all sequences of up to four bytes, and by the fuzz target).
std::string Utf8ToCp936(std::string_view utf8) {
    std::string out;
    if (utf8.empty())
        return out;
    IconvHandle& handle = Utf8ToCp936Handle();
    if (!handle.valid())
        return out;
    iconv_t cd = handle.reset();
    // Every UTF-8 sequence becomes at most as many bytes in code page 936 ("?" included).
    out.resize(utf8.size());
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        // Not expected (see above), but never write past the buffer.
        if (errno == E2BIG || outLeft == 0) {
            GrowOutput(out, outPtr, outLeft);
            continue;
        }
        // EILSEQ, or EINVAL for a sequence cut off at the end.
        *outPtr++ = '?';
        --outLeft;
        char32_t codePoint;
        std::size_t skip = 0;
        if (const std::size_t length = Utf8SequenceAt(reinterpret_cast<const unsigned char*>(in),
                                                      inLeft, 0, &codePoint, &skip)) {
            skip = length;  // well-formed, but not in code page 936
        }
        skip = std::min(std::max<std::size_t>(skip, 1), inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    return out;
}

}  // namespace

Text Utf8ToLocalText(std::string_view utf8) {
    // The text ends at the first zero byte; nothing before it depends on what follows.
    utf8 = utf8.substr(0, utf8.find('\0'));
    return Text(Utf8ToCp936(utf8));
}

Text Utf8ToLocalText(const Bytes& utf8) {
    return Utf8ToLocalText(utf8.view());
}

std::string LocalToUtf8(const Text& text) {
    std::string out;
    if (text.empty())
        return out;
    IconvHandle& handle = Cp936ToUtf8Handle();
    if (!handle.valid())
        return out;
    iconv_t cd = handle.reset();
    // A byte becomes at most three UTF-8 bytes (the euro sign, or U+FFFD for a stray byte).
    out.resize(text.size() * 3);
    char* in = const_cast<char*>(text.c_str());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG || outLeft < 3) {
            GrowOutput(out, outPtr, outLeft);
            continue;
        }
        // EILSEQ or EINVAL (a lead byte at the end): that one byte becomes U+FFFD, and the
        // byte after it is read afresh, so an ASCII byte behind a broken lead byte survives.
        std::memcpy(outPtr, "\xEF\xBF\xBD", 3);
        outPtr += 3;
        outLeft -= 3;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<std::size_t>(outPtr - out.data()));
    return out;
}

std::u16string LocalToUtf16(const Text& text) {
    return Utf8ToUtf16(LocalToUtf8(text));
}

Text Utf16ToLocal(std::u16string_view utf16) {
    return Text(Utf8ToCp936(Utf16ToUtf8(utf16)));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c;
        std::size_t consumed;
        const std::size_t length = Utf8SequenceAt(s, utf8.size(), i, &c, &consumed);
        if (length == 0) {
            c = kReplacement;
            i += consumed;
        } else {
            i += length;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;  // an unpaired surrogate
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace varneth

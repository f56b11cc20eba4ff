#pragma once
// The text operations every module uses on code-page-936 Text. Positions are 1-based byte
// positions; a search that finds nothing yields -1. A lead byte (0x80 or above) and its trail
// byte are always stepped over as one, so nothing ever matches starting on a trail byte.
#include <cstdint>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace varneth {

// True for a byte that begins a double-byte character.
inline bool IsLeadByte(unsigned char byte) {
    return byte >= 0x80;
}

// Byte length of the character starting at `index` (1 or 2; 1 when a lead byte ends the text).
std::size_t CharLength(std::string_view text, std::size_t index);

// 1-based position of `needle` in `haystack`, searching from `start` (values below 1 mean the
// first byte). An empty needle is found at position 1 whenever the searched part is not empty.
int Find(const Text& haystack, const Text& needle, int start = 1, bool caseInsensitive = false);
int Find(std::string_view haystack, std::string_view needle, int start = 1,
         bool caseInsensitive = false);

// Last occurrence of `needle` that ends at or before byte `endBefore` (1-based, exclusive end;
// 0 means the whole text). Character boundaries are respected as in Find.
int FindLast(const Text& haystack, const Text& needle, int endBefore = 0);

bool Contains(const Text& haystack, const Text& needle, bool caseInsensitive = false);

// Lower-cases A to Z only; every other byte, trail bytes included, stays.
Text AsciiLower(const Text& text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Removes leading and trailing ASCII spaces and ideographic spaces (A1 A1).
Text Trim(const Text& text);

// Splits at every `separator` (stepping over double-byte characters): empty text gives no
// pieces; empty pieces between separators or before a leading one are kept; a trailing
// separator gives no empty last piece.
std::vector<Text> Split(const Text& text, const Text& separator);
Text Join(const std::vector<Text>& pieces, const Text& separator);

// Replaces every occurrence, scanning left to right without re-reading replaced bytes.
Text ReplaceAll(const Text& text, const Text& from, const Text& to, bool caseInsensitive = false);

// Removes every occurrence of `byte`.
Text RemoveByte(const Text& text, char byte);

// Substring of `count` bytes from 1-based `start`. A start outside the text or a count of 0 or
// less gives empty text; a count past the end is cut at the end.
Text Mid(const Text& text, int start, int count);
// Everything from 1-based `start` to the end (empty when start lies outside the text).
Text MidToEnd(const Text& text, int start);
Text Left(const Text& text, int count);
Text Right(const Text& text, int count);

// Plain decimal: no sign for positive values, no leading zeros.
Text Decimal(std::int64_t value);
// Leading decimal digits read as a number; anything after them is ignored; no digits gives 0.
int LeadingNumber(const Text& text);

}  // namespace varneth

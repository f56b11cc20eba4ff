#include "web/cookies.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "text/text_ops.h"
#include "web/text_between.h"

namespace varneth {
namespace {

const Text kPairSeparator("; ");

// Drops the "; " after the last pair; an empty text stays empty.
Text WithoutLastSeparator(const Text& text) {
    return Left(text, text.length() - 2);
}

}  // namespace

Text CollectCookies(const Text& headerBlock) {
    Text result;
    for (const Text& line : Split(headerBlock, Text("\r\n"))) {
        if (!Contains(line, Text("Set-Cookie")))
            continue;
        // Attributes follow the first ";" and are left out. A line without ";" is taken whole,
        // so a header that only mentions Set-Cookie in its value still yields a pair.
        const Text pair = Contains(line, Text(";"))
                              ? Trim(TextBetween(line, Text("Set-Cookie:"), Text(";")))
                              : Trim(ReplaceAll(line, Text("Set-Cookie:"), Text(""), true));
        result += pair + kPairSeparator;
    }
    return WithoutLastSeparator(result);
}

Text MergeCookies(Text& oldCookies, Text& newCookies) {
    // Only the ASCII space is removed: cookie values are ASCII, and an ideographic space in one
    // is data, not layout.
    oldCookies = RemoveByte(oldCookies, ' ');
    newCookies = RemoveByte(newCookies, ' ');

    std::vector<Text> merged = Split(newCookies, Text(";"));
    std::unordered_set<std::string> mergedNames;
    for (const Text& pair : merged)
        mergedNames.insert(CookieName(pair).str());
    for (const Text& pair : Split(oldCookies, Text(";"))) {
        if (mergedNames.insert(CookieName(pair).str()).second)
            merged.push_back(pair);
    }

    Text alive;
    for (const Text& pair : merged) {
        if (Right(pair, 8) == Text("=deleted"))
            continue;
        alive += pair + kPairSeparator;
    }
    alive = WithoutLastSeparator(alive);

    // Identical pairs (the server may send one twice) are kept once, at their first place.
    std::unordered_set<std::string> kept;
    Text result;
    for (const Text& piece : Split(alive, kPairSeparator)) {
        if (kept.insert(piece.str()).second)
            result += piece + kPairSeparator;
    }
    result = WithoutLastSeparator(result);

    oldCookies = result;
    return result;
}

Text CookieName(const Text& pair) {
    const int equals = Find(pair, Text("="));
    return Trim(equals == -1 ? pair : Left(pair, equals - 1));
}

}  // namespace varneth

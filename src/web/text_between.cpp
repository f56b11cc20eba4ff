#include "web/text_between.h"

#include "text/text_ops.h"

namespace varneth {

const Text& QuotePlaceholder() {
    static const Text placeholder("#\xD2\xFD\xBA\xC5");  // "#引号" in code page 936
    return placeholder;
}

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> startPosition, bool caseInsensitive) {
    const Text quote("\"");
    const Text start = ReplaceAll(startMarker, QuotePlaceholder(), quote);
    const Text end = ReplaceAll(endMarker, QuotePlaceholder(), quote);

    int from = Find(text, start, startPosition.value_or(1), caseInsensitive);
    if (from == -1)
        return {};
    from += start.length();
    // The end marker is looked for only after the whole start marker.
    const int to = Find(text, end, from, caseInsensitive);
    if (to == -1)
        return {};
    return Mid(text, from, to - from);
}

Text ValueAfterColon(const Text& line) {
    const int colon = Find(line, Text(":"));
    if (colon == -1)
        return {};
    return Trim(MidToEnd(line, colon + 1));
}

}  // namespace varneth

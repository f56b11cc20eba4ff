#pragma once
// Cutting a piece of text out from between two fixed markers, the one way the program scrapes.
#include <optional>

#include "text/text.h"

namespace varneth {

// The quote placeholder "#引号": inside a marker it stands for one double quote.
const Text& QuotePlaceholder();

// Everything strictly between the first `startMarker` at or after `startPosition` (1-based;
// absent, 0 or negative mean the first byte) and the first `endMarker` after it; empty text when
// either is missing.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> startPosition = std::nullopt, bool caseInsensitive = false);

// The trimmed text after the first ":" (further lines included); empty when there is none.
Text ValueAfterColon(const Text& line);

}  // namespace varneth

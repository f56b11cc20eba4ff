#pragma once
// One listing page fetched and cut into rows. This part runs on a listing worker: it touches no
// widget, no Qt object and no shared state, only the address it was given and a matcher of its
// own. The rows stay code-page-936 Text here; the GUI thread converts them for the list.
#include <memory>
#include <vector>

#include "matcher/pattern_matcher.h"
#include "text/text.h"

namespace varneth {

// Every row of a listing page is one match: page path, title, upload time.
extern const char* const kListingPattern;

struct ListingRow {
    Text pagePath;  // capture group 1
    Text number;    // 1-based row number on the page
    Text title;     // capture group 2
    Text uploaded;  // capture group 3
};

struct ListingPage {
    std::unique_ptr<PatternMatcher> matcher;  // holds the page's matches, match i for row i-1
    std::vector<ListingRow> rows;
};

// Fetches `pageAddress` and searches it with the listing pattern. A failed request or a page
// that no longer fits the pattern gives no rows (and a matcher with no matches).
ListingPage LoadListingPage(const Text& pageAddress);

// The rows of the matcher's last search, in match order.
std::vector<ListingRow> RowsOf(const PatternMatcher& matcher);

// The label's text for a page number: "第  N  页", two spaces on each side of the number.
Text PageLabelText(int page);

}  // namespace varneth

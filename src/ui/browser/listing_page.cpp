#include "ui/browser/listing_page.h"

#include "text/codepage.h"
#include "text/text_ops.h"
#include "web/fetch_text.h"

namespace varneth {

const char* const kListingPattern =
    R"re(<a href="(.*?)" target="_blank" title="(.*?)"><b>[\s\S]*?)re"
    R"re(<span class="glyphicon glyphicon-time"></span> (.*?)</td>)re";

std::vector<ListingRow> RowsOf(const PatternMatcher& matcher) {
    const int count = matcher.MatchCount();
    std::vector<ListingRow> rows;
    rows.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
    for (int i = 1; i <= count; ++i) {
        rows.push_back({matcher.SubmatchText(i, 1), Decimal(i), matcher.SubmatchText(i, 2),
                        matcher.SubmatchText(i, 3)});
    }
    return rows;
}

ListingPage LoadListingPage(const Text& pageAddress) {
    const Text page = FetchText(pageAddress);
    ListingPage result;
    result.matcher = std::make_unique<PatternMatcher>();
    result.matcher->Search(kListingPattern, page);
    result.rows = RowsOf(*result.matcher);
    return result;
}

Text PageLabelText(int page) {
    return Local("第  ") + Decimal(page) + Local("  页");
}

}  // namespace varneth

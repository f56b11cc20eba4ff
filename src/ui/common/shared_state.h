#pragma once
// The state the main window's handlers and the download window share. It lives from before the
// first window until the exit clean-up and is used on the GUI thread only: listing workers hand
// their results over with a queued call instead of touching it.
#include <memory>

#include "matcher/pattern_matcher.h"
#include "text/text.h"
#include "ui/common/site_addresses.h"

namespace varneth {

class Desktop;

struct SharedState {
    Text ListBaseUrl;  // listing address without its page number
    int CurrentPage = 0;
    int SelectedRow = 0;  // 1-based activated row, 0 when none was selected
    Text DownloadPageUrl;
    std::unique_ptr<PatternMatcher> ListMatcher;
    std::unique_ptr<PatternMatcher> LinkMatcher;

    SiteAddresses addresses;
    Desktop* desktop = nullptr;  // hand-offs to the browser, message boxes, download dialog
};

}  // namespace varneth

#pragma once
// The one seam through which the program hands things to the desktop: the web browser, message
// boxes and the download dialog. GUI tests replace it with a recording stand-in.
#include "text/text.h"

namespace varneth {

class Desktop {
  public:
    virtual ~Desktop() = default;
    // Opens the address once in the default browser, without waiting; silent on failure.
    virtual void OpenInBrowser(const Text& address) = 0;
    // A modal message box with one OK button and no icon; returns when it is dismissed.
    virtual void ShowMessage(const Text& text, const Text& title) = 0;
    // Saves the file at `address` through the download dialog.
    virtual void StartDownloadDialog(const Text& address) = 0;
};

}  // namespace varneth

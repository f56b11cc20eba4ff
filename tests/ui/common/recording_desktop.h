#pragma once
// A stand-in for the desktop that records every hand-off instead of making it.
#include <vector>

#include "text/text.h"
#include "ui/common/desktop.h"

namespace varneth::testing {

class RecordingDesktop : public Desktop {
  public:
    struct Message {
        Text text;
        Text title;
    };
    void OpenInBrowser(const Text& address) override { opened.push_back(address); }
    void ShowMessage(const Text& text, const Text& title) override {
        messages.push_back({text, title});
    }
    void StartDownloadDialog(const Text& address) override { downloads.push_back(address); }

    std::vector<Text> opened;
    std::vector<Message> messages;
    std::vector<Text> downloads;
};

}  // namespace varneth::testing

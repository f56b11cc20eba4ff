#pragma once
// The real hand-offs to the desktop: the default web browser, message boxes and the download
// dialog.
#include <QString>
#include <QUrl>

#include "ui/common/desktop.h"

namespace varneth {

// The code-page-936 address as Qt reads it; an empty address gives an empty (invalid) URL.
QUrl AddressToUrl(const Text& address);
// A message box title: "信息：" when the title is empty.
QString MessageTitle(const Text& title);

class QtDesktop : public Desktop {
  public:
    void OpenInBrowser(const Text& address) override;
    void ShowMessage(const Text& text, const Text& title) override;
    void StartDownloadDialog(const Text& address) override;
};

}  // namespace varneth

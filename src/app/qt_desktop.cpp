#include "app/qt_desktop.h"

#include <QDesktopServices>
#include <QMessageBox>

#include "text/codepage.h"
#if VARNETH_HAVE_DOWNLOAD_DIALOG
#include "ui/download/download_dialog.h"
#endif

namespace varneth {

QUrl AddressToUrl(const Text& address) {
    if (address.empty())
        return {};
    // Tolerant: the program builds addresses without percent-encoding (a typed search text, a
    // film name); Qt encodes what needs it when it hands the address on.
    return QUrl(QString::fromStdString(LocalToUtf8(address)), QUrl::TolerantMode);
}

QString MessageTitle(const Text& title) {
    return title.empty() ? QStringLiteral("信息：") : QString::fromStdString(LocalToUtf8(title));
}

void QtDesktop::OpenInBrowser(const Text& address) {
    const QUrl url = AddressToUrl(address);
    if (!url.isValid())
        return;  // nothing to open; failures stay silent
    // xdg-open is started detached: this returns without waiting for the browser.
    QDesktopServices::openUrl(url);
}

void QtDesktop::ShowMessage(const Text& text, const Text& title) {
    // No owner window, no icon, one OK button, modal to every window of the program.
    QMessageBox box(QMessageBox::NoIcon, MessageTitle(title),
                    QString::fromStdString(LocalToUtf8(text)), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtDesktop::StartDownloadDialog(const Text& address) {
#if VARNETH_HAVE_DOWNLOAD_DIALOG
    RunDownloadDialog(address);
#else
    (void)address;
#endif
}

}  // namespace varneth

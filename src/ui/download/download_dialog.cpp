#include "ui/download/download_dialog.h"

#include <memory>
#include <optional>

#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStandardPaths>

#include "text/codepage.h"
#include "ui/download/download_messages.h"
#include "ui/download/download_transfer.h"
#include "ui/download/suggested_file_name.h"

namespace varneth {

namespace {

QString SizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(bytes / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(bytes / (1024.0 * 1024.0), 0, 'f', 1);
}

// The folder of the last save in this run, offered again by the next save dialog.
QString& LastSaveFolder() {
    static QString folder;
    return folder;
}

QString AskSavePathWithFileDialog(const QString& suggestedName) {
    QString folder = LastSaveFolder();
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    }
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();

    QFileDialog dialog(nullptr, QStringLiteral("保存字幕文件"), folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    LastSaveFolder() = QFileInfo(path).absolutePath();
    return path;
}

bool NeedsPercentEncoding(unsigned char byte) {
    return byte <= 0x20 || byte >= 0x7F || byte == '"' || byte == '<' || byte == '>';
}

}  // namespace

QByteArray TransferAddress(const Text& address) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded;
    for (const char c : LocalToUtf8(address)) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsPercentEncoding(byte)) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

void ShowProgramMessage(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

DownloadDialogHooks DefaultDownloadDialogHooks() {
    DownloadDialogHooks hooks;
    hooks.askSavePath = AskSavePathWithFileDialog;
    hooks.showMessage = [](const QString& text) {
        ShowProgramMessage(text, QStringLiteral("信息："));
    };
    return hooks;
}

void RunDownloadDialog(const Text& address) {
    RunDownloadDialog(address, DefaultDownloadDialogHooks());
}

void RunDownloadDialog(const Text& address, const DownloadDialogHooks& hooks) {
    const QByteArray url = TransferAddress(address);

    QProgressDialog progress;  // no owner, like every window the download window opens
    progress.setWindowTitle(QStringLiteral("下载字幕"));
    progress.setLabelText(QStringLiteral("正在连接下载服务器……"));
    progress.setCancelButtonText(QStringLiteral("取消"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    progress.setMinimumWidth(360);
    progress.setRange(0, 0);  // busy until the size is known

    QEventLoop loop;
    std::optional<DownloadResult> result;
    bool cancelRequested = false;
    bool placeChosen = false;  // progress shows only then: setValue() would show the dialog
    QString fileName;
    std::unique_ptr<DownloadTransfer> transfer;

    const auto showProgress = [&] {
        progress.show();
        if (hooks.progressShown)
            hooks.progressShown(progress);
    };

    DownloadTransfer::Events events;
    // The name to offer comes from the response's head, so the save dialog opens once the head
    // has arrived; meanwhile the body is already being received and held aside.
    events.head = [&](const DownloadHead& head) {
        if (cancelRequested || result)
            return;
        fileName = SuggestedFileName(head.contentDisposition, head.finalAddress, url);
        progress.hide();
        const QString path = hooks.askSavePath ? hooks.askSavePath(fileName) : QString();
        if (result)
            return;  // the transfer failed meanwhile; its message follows
        if (path.isEmpty()) {
            cancelRequested = true;
            transfer->Cancel();
            return;
        }
        fileName = QFileInfo(path).fileName();
        placeChosen = true;
        transfer->SaveTo(path);
        progress.setLabelText(QStringLiteral("正在下载“%1”……").arg(fileName));
        showProgress();
    };
    events.progress = [&](qint64 received, qint64 total) {
        if (cancelRequested || result || !placeChosen)
            return;
        const QString name = QStringLiteral("“%1”").arg(fileName);
        if (total > 0) {
            progress.setRange(0, 100);
            progress.setValue(static_cast<int>(qMin<qint64>(100, received * 100 / total)));
            progress.setLabelText(QStringLiteral("正在下载%1……\n已下载 %2，共 %3")
                                      .arg(name, SizeText(received), SizeText(total)));
        } else {
            progress.setLabelText(
                QStringLiteral("正在下载%1……\n已下载 %2").arg(name, SizeText(received)));
        }
    };
    events.finished = [&](const DownloadResult& finished) {
        result = finished;
        loop.quit();
    };

    QObject::connect(&progress, &QProgressDialog::canceled, [&] {
        if (cancelRequested || result)
            return;
        cancelRequested = true;
        progress.setLabelText(QStringLiteral("正在取消……"));
        transfer->Cancel();
    });

    transfer = std::make_unique<DownloadTransfer>(url, std::move(events));
    showProgress();
    loop.exec();
    transfer.reset();  // cancels what still runs (the program quitting) and waits for it
    progress.hide();
    if (!result)
        return;

    const QString message =
        DownloadFailureMessage(*result, QString::fromStdString(LocalToUtf8(address)));
    if (!message.isEmpty() && hooks.showMessage)
        hooks.showMessage(message);
}

}  // namespace varneth

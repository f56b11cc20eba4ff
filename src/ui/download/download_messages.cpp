#include "ui/download/download_messages.h"

namespace varneth {

QString DownloadFailureMessage(const DownloadResult& result, const QString& address) {
    const QString notSaved = QStringLiteral("文件没有保存。");
    switch (result.end) {
        case DownloadEnd::Saved:
        case DownloadEnd::Cancelled:
            return {};
        case DownloadEnd::BadAddress:
            return QStringLiteral("下载失败：下载地址无效，或者不是 http/https 地址：\n%1")
                .arg(address);
        case DownloadEnd::ConnectFailed:
            return QStringLiteral("下载失败：无法连接到下载服务器，请检查网络连接。") + notSaved;
        case DownloadEnd::TlsFailed:
            return QStringLiteral("下载失败：无法与下载服务器建立安全连接（证书验证没有通过）。") +
                   notSaved;
        case DownloadEnd::TimedOut:
            return QStringLiteral("下载失败：下载服务器长时间没有响应。") + notSaved;
        case DownloadEnd::ConnectionLost:
            return QStringLiteral("下载失败：与下载服务器的连接中断了，文件没有下载完整。") +
                   notSaved;
        case DownloadEnd::TooManyRedirects:
            return QStringLiteral("下载失败：下载地址跳转的次数太多。") + notSaved;
        case DownloadEnd::ServerStatus:
            return QStringLiteral("下载失败：服务器返回了错误（%1）。")
                       .arg(result.statusLine.startsWith(QStringLiteral("HTTP/"))
                                ? result.statusLine.section(QChar(' '), 1)
                                : result.statusLine) +
                   notSaved;
        case DownloadEnd::WebPage:
            return QStringLiteral(
                       "下载失败：服务器返回的是一个网页，而不是字幕文件。可能是链接已经失效，"
                       "请尝试其它链接。") +
                   notSaved;
        case DownloadEnd::DiskFailed:
            return QStringLiteral("下载失败：无法写入文件“%1”，请检查磁盘空间和写入权限。")
                       .arg(result.path) +
                   notSaved;
        case DownloadEnd::OtherFailure:
            break;
    }
    return QStringLiteral("下载失败：下载时出现了错误。") + notSaved;
}

}  // namespace varneth

#pragma once
// The download dialog: asks where to save the file at `address`, then streams it there on a
// worker behind a progress dialog with a cancel button. Returns when the transfer has ended.
#include <functional>

#include <QString>

#include "text/text.h"

class QProgressDialog;

namespace varneth {

void RunDownloadDialog(const Text& address);

// The dialog's hand-offs to the user, which tests replace.
struct DownloadDialogHooks {
    // Where to save, offered `suggestedName`; an empty path cancels. By default a save dialog.
    std::function<QString(const QString& suggestedName)> askSavePath;
    // A failure message. By default a message box titled "信息：".
    std::function<void(const QString& text)> showMessage;
    // Called once the progress dialog is on screen (and again after the save dialog closed).
    std::function<void(QProgressDialog& progress)> progressShown;
};

DownloadDialogHooks DefaultDownloadDialogHooks();
void RunDownloadDialog(const Text& address, const DownloadDialogHooks& hooks);

// The address as libcurl takes it: UTF-8, with spaces, control bytes and every byte outside
// ASCII percent-encoded (the program builds addresses without encoding them).
QByteArray TransferAddress(const Text& address);

// A message box with one OK button, no icon and no owner, modal to the whole program.
void ShowProgramMessage(const QString& text, const QString& title);

}  // namespace varneth

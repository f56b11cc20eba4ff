#pragma once
// What the download dialog tells the user when a download does not end with a saved file.
#include <QString>

#include "ui/download/download_transfer.h"

namespace varneth {

// The message for a failed download, naming its cause; empty for a saved or cancelled one.
QString DownloadFailureMessage(const DownloadResult& result, const QString& address);

}  // namespace varneth

#include "ui/download/download_transfer.h"

#include <chrono>
#include <deque>
#include <mutex>

#include "platform/file_transfer.h"
#include "ui/download/staged_download_file.h"

namespace varneth {

namespace {

using platform::TransferStatus;

DownloadEnd EndFor(TransferStatus status, bool headSeen) {
    switch (status) {
        case TransferStatus::Completed:
            return DownloadEnd::Saved;
        case TransferStatus::Cancelled:
            return DownloadEnd::Cancelled;
        case TransferStatus::BadAddress:
            return DownloadEnd::BadAddress;
        case TransferStatus::ConnectFailed:
            return DownloadEnd::ConnectFailed;
        case TransferStatus::TlsFailed:
            return DownloadEnd::TlsFailed;
        case TransferStatus::TimedOut:
            return DownloadEnd::TimedOut;
        case TransferStatus::ConnectionLost:
            return DownloadEnd::ConnectionLost;
        case TransferStatus::TooManyRedirects:
            return DownloadEnd::TooManyRedirects;
        case TransferStatus::StoppedBySink:
        case TransferStatus::Failed:
            break;
    }
    return headSeen ? DownloadEnd::ConnectionLost : DownloadEnd::OtherFailure;
}

QByteArray MediaType(const QByteArray& contentType) {
    const qsizetype semicolon = contentType.indexOf(';');
    return (semicolon < 0 ? contentType : contentType.left(semicolon)).trimmed().toLower();
}

// Runs the worker's calls on the GUI thread. The calls wait in a mailbox behind a std::mutex and
// only a wake-up goes through Qt's event queue, by name: every hand-over of our data is then one
// that the thread sanitizer can see (Qt's own locking is invisible to it).
class TransferRelay : public QObject {
    Q_OBJECT
  public:
    void Post(std::function<void()> call) {
        {
            std::lock_guard lock(mutex_);
            mailbox_.push_back(std::move(call));
        }
        QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
    }

    Q_INVOKABLE void RunNext() {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (mailbox_.empty())
                return;
            call = std::move(mailbox_.front());
            mailbox_.pop_front();
        }
        call();  // may run a nested event loop (the save dialog), which runs the next calls
    }

  private:
    std::mutex mutex_;
    std::deque<std::function<void()>> mailbox_;
};

}  // namespace

std::optional<DownloadEnd> RefusedHead(long status, const QByteArray& contentType) {
    if (status < 200 || status > 299)
        return DownloadEnd::ServerStatus;
    const QByteArray mediaType = MediaType(contentType);
    if (mediaType == "text/html" || mediaType == "application/xhtml+xml") {
        return DownloadEnd::WebPage;
    }
    return std::nullopt;
}

// The transfer's sink, on the worker thread: it screens the head, passes it to the GUI thread
// and moves the body into the staged file.
class DownloadTransfer::Worker : public platform::TransferSink {
  public:
    explicit Worker(DownloadTransfer& owner) : owner_(owner) {}

    bool OnHead(const platform::TransferHead& head) override {
        statusLine_ = QString::fromStdString(head.statusLine);
        if (const auto refused =
                RefusedHead(head.status, QByteArray::fromStdString(head.contentType))) {
            refusal_ = *refused;
            return false;
        }
        DownloadHead forGui{statusLine_, QByteArray::fromStdString(head.contentType),
                            QByteArray::fromStdString(head.contentDisposition), head.contentLength,
                            QByteArray::fromStdString(head.finalUrl)};
        owner_.Post([this_ = &owner_, forGui] { this_->events_.head(forGui); });
        return true;
    }

    bool OnBody(std::string_view piece) override {
        if (!file.placed()) {
            if (const auto path = owner_.TakeChosenPath(); path && !Place(*path))
                return false;
        }
        return file.Write(piece.data(), static_cast<qint64>(piece.size()));
    }

    bool OnProgress(std::int64_t received, std::int64_t total) override {
        // The place may be chosen while nothing arrives: the spool moves there now, not at the
        // next piece of body.
        if (!file.placed()) {
            if (const auto path = owner_.TakeChosenPath(); path && !Place(*path))
                return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (received == lastReceived_ || now - lastPost_ < std::chrono::milliseconds(100))
            return true;
        lastPost_ = now;
        lastReceived_ = received;
        owner_.Post(
            [this_ = &owner_, received, total] { this_->events_.progress(received, total); });
        return true;
    }

    bool Place(const QString& path) {
        placedPath_ = path;
        return file.Place(path);
    }

    DownloadResult Finish(const platform::TransferResult& transfer) {
        DownloadResult result;
        result.bytes = transfer.received;
        result.statusLine = statusLine_;
        if (transfer.status == TransferStatus::Completed) {
            std::optional<QString> path = placedPath_;
            if (!path)
                path = owner_.WaitForChosenPath();
            if (!path) {
                result.end = DownloadEnd::Cancelled;
            } else if ((!file.placed() && !Place(*path)) || !file.Commit()) {
                result.end = DownloadEnd::DiskFailed;
            } else {
                result.end = DownloadEnd::Saved;
                result.path = *path;
            }
        } else if (transfer.status == TransferStatus::StoppedBySink) {
            result.end = refusal_ ? *refusal_ : DownloadEnd::DiskFailed;
        } else {
            result.end = EndFor(transfer.status, transfer.headSeen);
        }
        if (result.end == DownloadEnd::DiskFailed)
            result.path = file.failedPath();
        file.Discard();  // nothing is left behind unless it was committed
        return result;
    }

    StagedDownloadFile file;

  private:
    DownloadTransfer& owner_;
    QString statusLine_;
    std::optional<DownloadEnd> refusal_;
    std::optional<QString> placedPath_;
    std::chrono::steady_clock::time_point lastPost_{};
    std::int64_t lastReceived_ = -1;
};

DownloadTransfer::DownloadTransfer(QByteArray url, Events events)
    : url_(std::move(url)), relay_(std::make_unique<TransferRelay>()), events_(std::move(events)) {
    worker_ = std::thread([this] { Run(); });
}

DownloadTransfer::~DownloadTransfer() {
    Cancel();
    if (worker_.joinable())
        worker_.join();
}

void DownloadTransfer::SaveTo(const QString& path) {
    std::lock_guard lock(mutex_);
    chosenPath_ = path;
    decided_.notify_all();
}

void DownloadTransfer::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    decided_.notify_all();
}

void DownloadTransfer::Post(std::function<void()> call) {
    static_cast<TransferRelay*>(relay_.get())->Post(std::move(call));
}

std::optional<QString> DownloadTransfer::TakeChosenPath() {
    std::lock_guard lock(mutex_);
    return std::exchange(chosenPath_, std::nullopt);
}

std::optional<QString> DownloadTransfer::WaitForChosenPath() {
    std::unique_lock lock(mutex_);
    decided_.wait(lock, [this] { return chosenPath_.has_value() || cancelled_.load(); });
    if (cancelled_)
        return std::nullopt;
    return std::exchange(chosenPath_, std::nullopt);
}

void DownloadTransfer::Run() {
    Worker worker(*this);
    const platform::TransferResult transfer =
        platform::RunFileTransfer(url_.toStdString(), worker, cancelled_);
    const DownloadResult result = worker.Finish(transfer);
    Post([this, result] { events_.finished(result); });
}

}  // namespace varneth

#include "download_transfer.moc"

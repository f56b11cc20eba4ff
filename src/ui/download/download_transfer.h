#pragma once
// One file download on a worker thread, talking to the GUI thread only through queued calls.
// The body starts arriving before the user has picked where to save it (the name to offer comes
// from the response's head), so it is spooled until SaveTo() names the place.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <QByteArray>
#include <QObject>
#include <QString>

namespace varneth {

struct DownloadHead {
    QString statusLine;
    QByteArray contentType;
    QByteArray contentDisposition;
    qint64 contentLength = -1;
    QByteArray finalAddress;
};

enum class DownloadEnd {
    Saved,
    Cancelled,
    BadAddress,
    ConnectFailed,
    TlsFailed,
    TimedOut,
    ConnectionLost,
    TooManyRedirects,
    ServerStatus,  // the server answered with an error status
    WebPage,       // the server answered with an HTML page instead of the file
    DiskFailed,
    OtherFailure,
};

struct DownloadResult {
    DownloadEnd end = DownloadEnd::OtherFailure;
    QString statusLine;  // ServerStatus: the server's status line
    QString path;        // Saved: the file; DiskFailed: the file that could not be written
    qint64 bytes = 0;
};

// A head the program will not save: an error status or a web page. nullopt when it is a file.
std::optional<DownloadEnd> RefusedHead(long status, const QByteArray& contentType);

class DownloadTransfer {
  public:
    struct Events {  // all called on the GUI thread, in this order: head?, progress*, finished
        std::function<void(const DownloadHead&)> head;
        std::function<void(qint64 received, qint64 total)> progress;
        std::function<void(const DownloadResult&)> finished;
    };

    // Starts the worker at once; construct it on the GUI thread.
    DownloadTransfer(QByteArray url, Events events);
    ~DownloadTransfer();  // cancels a running transfer and waits for its worker
    DownloadTransfer(const DownloadTransfer&) = delete;
    DownloadTransfer& operator=(const DownloadTransfer&) = delete;

    void SaveTo(const QString& path);  // the user's choice; the body moves there
    void Cancel();                     // the user's cancel, or no place chosen

  private:
    class Worker;
    void Run();
    void Post(std::function<void()> call);  // from the worker to the GUI thread
    std::optional<QString> TakeChosenPath();
    // After the whole body has arrived: waits until the user has chosen (or cancelled).
    std::optional<QString> WaitForChosenPath();

    QByteArray url_;
    // The worker's queued calls are delivered through this object; destroying it with the
    // transfer drops any that are still pending, so none can outlive `this`.
    std::unique_ptr<QObject> relay_;
    Events events_;

    std::mutex mutex_;
    std::condition_variable decided_;
    std::optional<QString> chosenPath_;
    std::atomic<bool> cancelled_{false};

    std::thread worker_;  // last: started once everything above exists
};

}  // namespace varneth

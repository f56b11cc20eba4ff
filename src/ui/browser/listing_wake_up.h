#pragma once
// Wakes the GUI thread from a listing worker. On Linux the worker only writes to an eventfd that
// the GUI thread's event loop watches, so a worker never calls into Qt at all: Qt's own locks are
// invisible to ThreadSanitizer, ours (the loader's mailbox) are not. Elsewhere a queued call.
#include <QObject>

class QSocketNotifier;

namespace varneth {

class ListingWakeUp : public QObject {
    Q_OBJECT
  public:
    explicit ListingWakeUp(QObject* parent = nullptr);
    ~ListingWakeUp() override;
    ListingWakeUp(const ListingWakeUp&) = delete;
    ListingWakeUp& operator=(const ListingWakeUp&) = delete;

    // Safe from any thread. Several wake-ups before the GUI thread runs may arrive as one.
    void Wake();

  signals:
    void woken();  // on the GUI thread

  private:
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace varneth

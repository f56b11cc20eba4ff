#include "ui/browser/listing_wake_up.h"

#include <QMetaObject>
#include <QSocketNotifier>

#if defined(__linux__)
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#endif

namespace varneth {

ListingWakeUp::ListingWakeUp(QObject* parent) : QObject(parent) {
#if defined(__linux__)
    fd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ListingWakeUp::OnReadable);
    }
#endif
}

ListingWakeUp::~ListingWakeUp() {
#if defined(__linux__)
    delete notifier_;
    if (fd_ >= 0)
        close(fd_);
#endif
}

void ListingWakeUp::Wake() {
#if defined(__linux__)
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        // Cannot fail short of the counter's overflow; a lost wake-up would only delay rows
        // until the next one, and the counter never comes near 2^64.
        [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
        return;
    }
#endif
    QMetaObject::invokeMethod(this, &ListingWakeUp::woken, Qt::QueuedConnection);
}

void ListingWakeUp::OnReadable() {
#if defined(__linux__)
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read_ = read(fd_, &count, sizeof count);
#endif
    emit woken();
}

}  // namespace varneth

#include "ui/browser/listing_workers.h"

#include <chrono>
#include <vector>

#include "platform/transport_settings.h"

namespace varneth {

ListingWorkers::~ListingWorkers() {
    StopAll();
}

void ListingWorkers::Start(std::function<void()> work) {
    if (stopping_)
        return;
    JoinFinished();
    std::lock_guard lock(mutex_);
    Worker& worker = workers_.emplace_back();
    worker.thread = std::thread([this, &worker, work = std::move(work)] {
        if (!stopping_)
            work();
        std::lock_guard done(mutex_);
        worker.finished = true;
        changed_.notify_all();
    });
}

int ListingWorkers::Running() const {
    std::lock_guard lock(mutex_);
    int running = 0;
    for (const Worker& worker : workers_)
        running += worker.finished ? 0 : 1;
    return running;
}

void ListingWorkers::JoinFinished() {
    std::vector<std::thread> done;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (it->finished) {
                done.push_back(std::move(it->thread));
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (std::thread& thread : done)
        thread.join();
}

void ListingWorkers::StopAll() {
    stopping_ = true;
    // A cancel reaches only the transfers running at that moment; a worker that was about to
    // start one is caught by the next round.
    for (;;) {
        platform::CancelAllTransfers();
        std::unique_lock lock(mutex_);
        const bool allFinished = changed_.wait_for(lock, std::chrono::milliseconds(20), [this] {
            for (const Worker& worker : workers_) {
                if (!worker.finished)
                    return false;
            }
            return true;
        });
        if (allFinished)
            break;
    }
    JoinFinished();
}

}  // namespace varneth

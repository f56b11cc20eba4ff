#pragma once
// Owns the listing workers. The window never waits for a load, but every worker stays joinable
// here so that the program's end can cancel the running transfers and join them before the
// shared state goes away. Finished workers are joined whenever a new one starts.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace varneth {

class ListingWorkers {
  public:
    ListingWorkers() = default;
    ~ListingWorkers();  // StopAll()
    ListingWorkers(const ListingWorkers&) = delete;
    ListingWorkers& operator=(const ListingWorkers&) = delete;

    // Runs `work` on a new thread of its own. Ignored once StopAll() has begun.
    void Start(std::function<void()> work);
    // True once StopAll() has begun: a worker that sees it skips what is left of its work.
    [[nodiscard]] bool Stopping() const { return stopping_.load(); }
    // Number of workers that have not finished yet.
    [[nodiscard]] int Running() const;
    // Cancels every running transfer, again until each worker has seen it, and joins them all.
    void StopAll();

  private:
    struct Worker {
        std::thread thread;
        bool finished = false;  // guarded by mutex_
    };
    void JoinFinished();

    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::list<Worker> workers_;  // a list: a worker keeps its address while others come and go
};

}  // namespace varneth

#pragma once
// Loads listing pages into the list. Each load fetches and searches on a worker of its own; the
// finished page comes back to the GUI thread with a queued call, and only the latest request is
// installed: its matcher becomes ListMatcher and its rows fill the list. So ListMatcher, the list,
// the label and the buttons are used on the GUI thread only, and the download window always reads
// the matches of the rows on screen.
#include <QObject>
#include <memory>
#include <mutex>
#include <vector>

#include "ui/browser/listing_page.h"
#include "ui/browser/listing_wake_up.h"
#include "ui/browser/listing_workers.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace varneth {

struct SharedState;

class ListingLoader : public QObject {
    Q_OBJECT
  public:
    ListingLoader(QTreeWidget* list, QLabel* pageLabel, QPushButton* previousPage,
                  SharedState& state, QObject* parent = nullptr);
    ~ListingLoader() override;  // cancels and joins the running loads

    // Starts loading page `page` of the category in ListBaseUrl: empties the list at once and
    // returns; the rows arrive later.
    void StartListingLoad(int page);
    // Cancels the running loads and joins their workers; later starts are ignored.
    void StopAllLoads();
    // Loads not yet handed back to the GUI thread.
    [[nodiscard]] int PendingLoads() const { return pending_; }

  signals:
    // A load has come back; `installed` is false when a later request had superseded it.
    void loadEnded(bool installed);

  private slots:
    // Queued from the workers: takes every finished page out of the mailbox.
    void DeliverArrivals();

  private:
    struct Arrival {
        unsigned long long request;
        std::unique_ptr<ListingPage> page;
    };
    void OnPageArrived(unsigned long long request, ListingPage& page);
    void InstallPage(ListingPage& page);

    QTreeWidget* list_;
    QLabel* pageLabel_;
    QPushButton* previousPage_;
    SharedState& state_;
    unsigned long long latestRequest_ = 0;  // the request whose result the list should show
    int pending_ = 0;
    // Finished pages pass from the workers to the GUI thread through this mailbox, so that the
    // hand-over is ordered by a lock of ours rather than only by Qt's event queue.
    std::mutex mailboxMutex_;
    std::vector<Arrival> mailbox_;
    ListingWakeUp* wakeUp_;
    ListingWorkers workers_;  // last member: joined before the rest goes away
};

}  // namespace varneth

#include "ui/browser/listing_loader.h"

#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QTreeWidget>

#include "text/codepage.h"
#include "text/text_ops.h"
#include "ui/common/shared_state.h"

namespace varneth {

namespace {
QString ForQt(const Text& text) {
    return QString::fromStdString(LocalToUtf8(text));
}
}  // namespace

ListingLoader::ListingLoader(QTreeWidget* list, QLabel* pageLabel, QPushButton* previousPage,
                             SharedState& state, QObject* parent)
    : QObject(parent),
      list_(list),
      pageLabel_(pageLabel),
      previousPage_(previousPage),
      state_(state),
      wakeUp_(new ListingWakeUp(this)) {
    connect(wakeUp_, &ListingWakeUp::woken, this, &ListingLoader::DeliverArrivals);
}

ListingLoader::~ListingLoader() {
    StopAllLoads();
}

void ListingLoader::StopAllLoads() {
    workers_.StopAll();
}

void ListingLoader::StartListingLoad(int page) {
    if (workers_.Stopping())
        return;
    list_->clear();  // the list stays empty while the page is on its way
    const unsigned long long request = ++latestRequest_;
    ++pending_;
    // The address is formed here, on the GUI thread: the worker never reads the shared state.
    const Text address = state_.ListBaseUrl + Decimal(page);
    workers_.Start([this, request, address] {
        auto page = std::make_unique<ListingPage>(LoadListingPage(address));
        {
            std::lock_guard lock(mailboxMutex_);
            mailbox_.push_back({request, std::move(page)});
        }
        // The GUI thread takes it from there. This object outlives the call, since its
        // destructor joins this worker first.
        wakeUp_->Wake();
    });
}

void ListingLoader::DeliverArrivals() {
    std::vector<Arrival> arrivals;
    {
        std::lock_guard lock(mailboxMutex_);
        arrivals.swap(mailbox_);
    }
    for (Arrival& arrival : arrivals)
        OnPageArrived(arrival.request, *arrival.page);
}

void ListingLoader::OnPageArrived(unsigned long long request, ListingPage& page) {
    --pending_;
    // Every request after this one changed the page or the category; its rows are not wanted.
    const bool latest = request == latestRequest_ && !workers_.Stopping();
    if (latest)
        InstallPage(page);
    emit loadEnded(latest);
}

void ListingLoader::InstallPage(ListingPage& page) {
    state_.ListMatcher = std::move(page.matcher);
    list_->setUpdatesEnabled(false);
    list_->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(page.rows.size()));
    for (const ListingRow& row : page.rows) {
        auto* item = new QTreeWidgetItem(
            {ForQt(row.pagePath), ForQt(row.number), ForQt(row.title), ForQt(row.uploaded)});
        for (int column = 1; column <= 3; ++column)
            item->setTextAlignment(column, Qt::AlignCenter);
        items.push_back(item);
    }
    list_->addTopLevelItems(items);
    list_->setUpdatesEnabled(true);
    // The label and the previous-page rule follow the page asked for last, not the loaded one.
    pageLabel_->setText(ForQt(PageLabelText(state_.CurrentPage)));
    if (state_.CurrentPage == 1)
        previousPage_->setEnabled(false);
}

}  // namespace varneth

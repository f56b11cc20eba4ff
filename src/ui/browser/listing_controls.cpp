#include "ui/browser/listing_controls.h"

#include <QPushButton>
#include <QTreeWidget>

#include "ui/browser/category_box.h"
#include "ui/browser/listing_loader.h"
#include "ui/common/shared_state.h"

namespace varneth {

Text CategoryAddress(const Text& siteBase, int entry) {
    static const char* const kPaths[] = {"/newsubs?p=", "/newsubs?t=mv&p=", "/newsubs?t=tv&p="};
    if (entry < 0 || entry > 2)
        return {};
    return siteBase + kPaths[entry];
}

ListingControls::ListingControls(CategoryBox* categories, QPushButton* nextPage,
                                 QPushButton* previousPage, QTreeWidget* list,
                                 ListingLoader& loader, SharedState& state, QObject* parent)
    : QObject(parent),
      categories_(categories),
      nextPage_(nextPage),
      previousPage_(previousPage),
      list_(list),
      loader_(loader),
      state_(state) {
    // activated: only a choice the user confirmed, not a programmatic change of the selection.
    connect(categories_, &QComboBox::activated, this, &ListingControls::OnCategoryChosen);
    connect(categories_, &CategoryBox::listClosed, this, &ListingControls::OnCategoryListClosed);
    connect(nextPage_, &QPushButton::clicked, this, &ListingControls::OnNextPageClicked);
    connect(previousPage_, &QPushButton::clicked, this, &ListingControls::OnPreviousPageClicked);
}

void ListingControls::OnCategoryChosen() {
    for (int entry = 0; entry <= 2; ++entry) {
        const Text address = CategoryAddress(state_.addresses.siteBase, entry);
        if (categories_->currentIndex() == entry && state_.ListBaseUrl != address) {
            state_.ListBaseUrl = address;
            state_.CurrentPage = kFirstPage;
            loader_.StartListingLoad(kFirstPage);
            // A new category starts at page 1 again, so there is a next page to go to.
            nextPage_->setEnabled(true);
        }
    }
}

void ListingControls::OnCategoryListClosed() {
    list_->setFocus(Qt::OtherFocusReason);
}

void ListingControls::OnNextPageClicked() {
    state_.CurrentPage += 1;
    loader_.StartListingLoad(state_.CurrentPage);
    if (state_.CurrentPage > kFirstPage)
        previousPage_->setEnabled(true);
    if (state_.CurrentPage >= kLastPage)
        nextPage_->setEnabled(false);
}

void ListingControls::OnPreviousPageClicked() {
    if (state_.CurrentPage > kFirstPage) {
        state_.CurrentPage -= 1;
        loader_.StartListingLoad(state_.CurrentPage);
    }
    if (state_.CurrentPage == kFirstPage)
        previousPage_->setEnabled(false);
    if (state_.CurrentPage < kLastPage)
        nextPage_->setEnabled(true);
}

}  // namespace varneth

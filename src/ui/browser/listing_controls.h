#pragma once
// The category box and the two paging buttons: each change starts a listing load at once and
// sets the buttons right away; the list, label and previous-page rule follow when the load ends.
#include <QObject>

#include "text/text.h"

class QPushButton;
class QTreeWidget;

namespace varneth {

class CategoryBox;
class ListingLoader;
struct SharedState;

constexpr int kFirstPage = 1;
constexpr int kLastPage = 50;

// Listing address of category entry 0 ("全部字幕"), 1 ("电影字幕") or 2 ("美剧字幕").
Text CategoryAddress(const Text& siteBase, int entry);

class ListingControls : public QObject {
    Q_OBJECT
  public:
    ListingControls(CategoryBox* categories, QPushButton* nextPage, QPushButton* previousPage,
                    QTreeWidget* list, ListingLoader& loader, SharedState& state,
                    QObject* parent = nullptr);

    void OnCategoryChosen();
    void OnCategoryListClosed();
    void OnNextPageClicked();
    void OnPreviousPageClicked();

  private:
    CategoryBox* categories_;
    QPushButton* nextPage_;
    QPushButton* previousPage_;
    QTreeWidget* list_;
    ListingLoader& loader_;
    SharedState& state_;
};

}  // namespace varneth

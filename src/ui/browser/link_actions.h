#pragma once
// The list's right-click menu: the subtitle's page, a film-source search and the film's Douban
// page, each opened in the web browser.
#include <QObject>

#include "text/text.h"

class QMenu;
class QTreeWidget;
class QWidget;

namespace varneth {

struct SharedState;

class LinkActions : public QObject {
    Q_OBJECT
  public:
    // `menu` is the window's hidden menu "打开链接" whose three actions are, in order,
    // "打开Lumora链接", "打开片源链接" and "打开豆瓣链接"; this connects them and the list's
    // context-menu request.
    LinkActions(QTreeWidget* list, QMenu* menu, SharedState& state, QObject* parent = nullptr);

    void OnListRightClicked();
    void OpenSubtitlePage();
    void OpenSourceSearch();
    void OpenDoubanPage();

  private:
    // Column 0 of the first selected row; empty text when no row is selected.
    Text RowPath() const;
    // The subtitle's page under the https base, fetched on the calling (window) thread.
    Text FetchSubtitlePage() const;

    QTreeWidget* list_;
    QMenu* menu_;
    SharedState& state_;
};

}  // namespace varneth

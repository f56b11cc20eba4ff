#include "ui/browser/link_actions.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTreeWidget>

#include "text/codepage.h"
#include "text/text_ops.h"
#include "ui/browser/query_encoding.h"
#include "ui/common/desktop.h"
#include "ui/common/shared_state.h"
#include "web/fetch_text.h"
#include "web/text_between.h"

namespace varneth {

LinkActions::LinkActions(QTreeWidget* list, QMenu* menu, SharedState& state, QObject* parent)
    : QObject(parent), list_(list), menu_(menu), state_(state) {
    // A right-click in the rows' area, on a row or below the last one, asks for the menu; the
    // handler does not look at the selection.
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this, &LinkActions::OnListRightClicked);

    const QList<QAction*> items = menu_->actions();
    if (items.size() >= 3) {
        connect(items[0], &QAction::triggered, this, &LinkActions::OpenSubtitlePage);
        connect(items[1], &QAction::triggered, this, &LinkActions::OpenSourceSearch);
        connect(items[2], &QAction::triggered, this, &LinkActions::OpenDoubanPage);
    }
}

void LinkActions::OnListRightClicked() {
    // The menu's top-left corner sits exactly on the cursor; the call returns at once and the
    // chosen item's handler runs from the event loop.
    menu_->popup(QCursor::pos());
}

Text LinkActions::RowPath() const {
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list_->topLevelItem(row);
        if (item->isSelected())
            return Utf16ToLocal(item->text(0).toStdU16String());
    }
    return {};
}

Text LinkActions::FetchSubtitlePage() const {
    return FetchText(state_.addresses.siteBase + RowPath());
}

void LinkActions::OpenSubtitlePage() {
    state_.desktop->OpenInBrowser(state_.addresses.siteBaseHttp + RowPath());
}

void LinkActions::OpenSourceSearch() {
    const Text page = FetchSubtitlePage();
    const Text keywords = TextBetween(page, "<meta name=\"keywords\" content=\"", "\"");
    const std::vector<Text> pieces = Split(keywords, ",");
    if (pieces.empty()) {
        // No keywords tag, an empty content attribute or a failed fetch: there is no film name
        // to search for. Opening the search with an empty query would look like a result, so
        // the user is told instead and nothing is opened.
        state_.desktop->ShowMessage(Local("该字幕页面上没有找到影片名称！"), Local("片名未找到"));
        return;
    }
    // The film's name is the first keyword; it is sent as one query value, spaces included.
    state_.desktop->OpenInBrowser(state_.addresses.sourceSearchBase +
                                  EncodeQueryValue(pieces.front()));
}

void LinkActions::OpenDoubanPage() {
    const Text page = FetchSubtitlePage();
    // Only the https form of the link is looked for; the browser is sent to the same path under
    // the http address.
    const Text startMarker = Local("<li><a href=#引号https://") + state_.addresses.doubanHost;
    const Text path = TextBetween(page, startMarker, "\"");
    if (path.empty()) {
        state_.desktop->ShowMessage(Local("该影片尚无豆瓣链接！"), Local("链接未找到"));
        return;
    }
    state_.desktop->OpenInBrowser(state_.addresses.doubanMovieBase + path);
}

}  // namespace varneth

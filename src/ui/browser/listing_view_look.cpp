#include "ui/browser/listing_view_look.h"

#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace varneth {

namespace {

// Paints each cell on the text background, then its right and bottom grid line.
class GridDelegate : public QStyledItemDelegate {
  public:
    GridDelegate(const ListLook& look, QObject* parent)
        : QStyledItemDelegate(parent), look_(look) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell(option);
        cell.state &= ~QStyle::State_MouseOver;  // no hot tracking
        if (!(cell.state & QStyle::State_Selected))
            painter->fillRect(cell.rect, look_.textBackground);
        QStyledItemDelegate::paint(painter, cell, index);
        painter->save();
        painter->setPen(look_.gridLines);
        const QRect& r = cell.rect;
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }

  private:
    ListLook look_;
};

// The list activates a row on a double-click only, whatever the desktop's style would say.
class DoubleClickActivation : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void ApplyListLook(QTreeWidget* list, const ListLook& look) {
    QPalette palette = list->palette();
    palette.setColor(QPalette::Text, look.text);
    palette.setColor(QPalette::Base, look.emptyBackground);
    palette.setColor(QPalette::AlternateBase, look.textBackground);
    list->setPalette(palette);
    list->setAlternatingRowColors(false);
    list->setItemDelegate(new GridDelegate(look, list));

    // The proxy wraps a style of its own: the application's style stays with the application.
    auto* style = new DoubleClickActivation(QStyleFactory::create(list->style()->name()));
    style->setParent(list);
    list->setStyle(style);
    list->setMouseTracking(false);
    list->viewport()->setAttribute(Qt::WA_Hover, false);
}

}  // namespace varneth

#include "ui/browser/category_box.h"

#include <QAbstractItemView>
#include <QEvent>

namespace varneth {

CategoryBox::CategoryBox(QWidget* parent) : QComboBox(parent) {}

void CategoryBox::showPopup() {
    // hidePopup() is not called when the list closes by a click outside it, but the list's
    // container is always hidden: watch that instead. It exists once the view does.
    QWidget* popup = view() ? view()->window() : nullptr;
    if (popup && popup != this && popup != watchedPopup_) {
        popup->installEventFilter(this);
        watchedPopup_ = popup;
    }
    QComboBox::showPopup();
}

bool CategoryBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedPopup_ && event->type() == QEvent::Hide)
        emit listClosed();
    return QComboBox::eventFilter(watched, event);
}

}  // namespace varneth

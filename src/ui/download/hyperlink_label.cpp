#include "ui/download/hyperlink_label.h"

#include <QMouseEvent>
#include <QPalette>

namespace varneth {

HyperlinkLabel::HyperlinkLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);  // the caption is ours, but nothing here is ever markup
    setText(caption);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont linkFont = font();  // the default font, underlined as a link is
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::WindowText, palette().color(QPalette::Link));
    setPalette(linkPalette);
    setCursor(Qt::PointingHandCursor);
}

void HyperlinkLabel::setTarget(const Text& target) {
    target_ = target;
    state_ = target_.empty() ? State::Empty : State::Filled;
}

Text HyperlinkLabel::takeTarget() {
    Text taken = std::move(target_);
    target_ = Text();
    if (state_ == State::Filled)
        state_ = State::Spent;
    return taken;
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit pressed();
        return;
    }
    QLabel::mousePressEvent(event);
}

void HyperlinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace varneth

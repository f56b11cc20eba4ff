#include "ui/browser/search_box.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include "text/codepage.h"
#include "ui/browser/query_encoding.h"
#include "ui/common/desktop.h"
#include "ui/common/shared_state.h"

namespace varneth {

namespace {

constexpr int kVirtualKeyEnter = 13;

QString Placeholder() {
    return QString::fromUtf8(kSearchPlaceholderUtf8);
}

// Both Enter keys (main block and keypad) are the one virtual key 13.
int VirtualKeyOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return kVirtualKeyEnter;
    return event.key();
}

}  // namespace

SearchBox::SearchBox(QLineEdit* edit, QPushButton* button, SharedState& state, QObject* parent)
    : QObject(parent), edit_(edit), state_(state) {
    SetTextAndColour(Placeholder(), kSearchHintRgb);
    edit_->installEventFilter(this);
    connect(button, &QPushButton::clicked, this, &SearchBox::OnSearchClicked);
}

bool SearchBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        switch (event->type()) {
            case QEvent::FocusIn:
                OnSearchBoxGotFocus();
                break;
            case QEvent::FocusOut:
                OnSearchBoxLostFocus();
                break;
            case QEvent::KeyPress:
                OnSearchBoxKeyDown(VirtualKeyOf(*static_cast<QKeyEvent*>(event)));
                break;
            default:
                break;
        }
    }
    // Nothing is consumed: the box goes on to handle the event as it always does.
    return QObject::eventFilter(watched, event);
}

void SearchBox::OnSearchBoxGotFocus() {
    // Hint words typed in black are real search text and stay.
    if (edit_->text() == Placeholder() && ShowsHintColour()) {
        SetTextAndColour(QString(), kSearchTextRgb);
    }
}

void SearchBox::OnSearchBoxLostFocus() {
    if (edit_->text().isEmpty())
        SetTextAndColour(Placeholder(), kSearchHintRgb);
}

void SearchBox::OnSearchBoxKeyDown(int key) {
    if (key == kVirtualKeyEnter)
        OnSearchClicked();
}

void SearchBox::OnSearchClicked() {
    const QString text = edit_->text();
    if (text.isEmpty() || ShowsHintColour()) {
        state_.desktop->ShowMessage(Local("搜索内容不能为空！"), Local("请输入要搜索的内容"));
        return;
    }
    // The name goes out as one query value, untrimmed. It is encoded from the box's own
    // Unicode text, so a character outside code page 936 is searched for as typed instead of as
    // "?"; for every other text this equals encoding its code-page-936 form.
    const Text query(PercentEncodeUtf8(text.toStdString()));
    state_.desktop->OpenInBrowser(state_.addresses.siteBase + "/search?q=" + query);
}

bool SearchBox::ShowsHintColour() const {
    // The active group is the one the box is drawn with while the window has the focus; all
    // groups are written together below.
    const QColor colour = edit_->palette().color(QPalette::Active, QPalette::Text);
    return (colour.rgb() & 0xFFFFFFu) == kSearchHintRgb;
}

void SearchBox::SetTextAndColour(const QString& text, unsigned rgb) {
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Text, QColor::fromRgb(rgb));
    edit_->setPalette(palette);
    edit_->setText(text);
}

}  // namespace varneth

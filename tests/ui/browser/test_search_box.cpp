// The search box: its grey hint, focus in and out, and the search handed to the browser.
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "text/codepage.h"
#include "ui/browser/search_box.h"
#include "ui/common/recording_desktop.h"
#include "ui/common/shared_state.h"

using varneth::Local;
using varneth::Text;

namespace {

const QString kHint = QString::fromUtf8(varneth::kSearchPlaceholderUtf8);
const char* const kSearchBase = "https://127.0.0.1:9/search?q=";

unsigned TextRgb(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Active, QPalette::Text).rgb() & 0xFFFFFFu;
}

int PixelsOfColour(const QImage& image, QRgb rgb) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFFu) == (rgb & 0xFFFFFFu))
                ++count;
        }
    }
    return count;
}

// Types like a keyboard would, also characters QTest::keyClicks cannot send (Chinese).
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Saves a picture of a widget when VARNETH_GRAB_DIR names a folder, to look at by eye.
void SaveGrab(QWidget* widget, const char* name) {
    const QByteArray dir = qgetenv("VARNETH_GRAB_DIR");
    if (!dir.isEmpty())
        widget->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

struct Window {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QString::fromUtf8("搜索字幕"), &window);
    QLineEdit* elsewhere = new QLineEdit(&window);  // somewhere else to put the focus
    varneth::testing::RecordingDesktop desktop;
    varneth::SharedState state;
    std::unique_ptr<varneth::SearchBox> box;

    Window() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(button);
        layout->addWidget(elsewhere);
        window.resize(402, 110);
        state.addresses = varneth::SiteAddresses::ForHost("127.0.0.1:9", "dl.127.0.0.1");
        state.desktop = &desktop;
        box = std::make_unique<varneth::SearchBox>(edit, button, state);
    }
};

}  // namespace

class SearchBoxTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Window> w;

    void FocusBox() {
        w->edit->setFocus();
        QTRY_VERIFY(w->edit->hasFocus());
    }
    void LeaveBox() {
        w->elsewhere->setFocus();
        QTRY_VERIFY(!w->edit->hasFocus());
    }
    void ExpectHint() {
        QCOMPARE(w->edit->text(), kHint);
        QCOMPARE(TextRgb(w->edit), varneth::kSearchHintRgb);
    }

  private slots:
    void init() {
        w = std::make_unique<Window>();
        w->window.show();
        QVERIFY(QTest::qWaitForWindowActive(&w->window));
        LeaveBox();
    }
    void cleanup() { w.reset(); }

    void showsTheGreyHintUntilFocused() {
        ExpectHint();
        QCOMPARE(varneth::kSearchHintRgb, 0xC0C0C0u);
        // Drawn in the hint's grey, and nothing in black.
        const QImage hint = w->edit->grab().toImage();
        QVERIFY(PixelsOfColour(hint, 0xC0C0C0) > 0);
        QCOMPARE(PixelsOfColour(hint, 0x000000), 0);
        SaveGrab(&w->window, "search_box_hint");

        FocusBox();
        QCOMPARE(w->edit->text(), QString());
        QCOMPARE(TextRgb(w->edit), 0x000000u);
        Type(w->edit, "Alien");
        QVERIFY(PixelsOfColour(w->edit->grab().toImage(), 0x000000) > 0);
        SaveGrab(&w->window, "search_box_typed");
        QVERIFY(w->desktop.opened.empty());
        QVERIFY(w->desktop.messages.empty());
    }

    void leavingTheEmptyBoxBringsTheHintBack() {
        FocusBox();
        LeaveBox();
        ExpectHint();

        // Typed, then deleted again: empty when the focus leaves.
        FocusBox();
        Type(w->edit, "Alien");
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(w->edit, Qt::Key_Backspace);
        QCOMPARE(w->edit->text(), QString());
        LeaveBox();
        ExpectHint();

        // Leaving a box with text keeps the text and its colour.
        FocusBox();
        Type(w->edit, "Alien");
        LeaveBox();
        QCOMPARE(w->edit->text(), QString("Alien"));
        QCOMPARE(TextRgb(w->edit), 0x000000u);
    }

    void hintWordsTypedInBlackAreKeptAndSearched() {
        FocusBox();
        Type(w->edit, kHint);
        LeaveBox();
        FocusBox();  // black hint words are real text: the focus does not clear them
        QCOMPARE(w->edit->text(), kHint);
        QCOMPARE(TextRgb(w->edit), 0x000000u);
        QTest::mouseClick(w->button, Qt::LeftButton);
        QCOMPARE(w->desktop.opened.size(), 1u);
        QCOMPARE(w->desktop.opened[0],
                 Text(kSearchBase) +
                     "%E8%BE%93%E5%85%A5%E8%A6%81%E6%90%9C%E7%B4%A2%E7%9A%84%E5%AD%97"
                     "%E5%B9%95%E5%90%8D%E7%A7%B0");
    }

    void nothingToSearch_data() {
        QTest::addColumn<bool>("focused");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("hint showing, button") << false << false;
        QTest::newRow("focused and empty, Enter") << true << true;
        QTest::newRow("focused and empty, button") << true << false;
    }
    void nothingToSearch() {
        QFETCH(bool, focused);
        QFETCH(bool, byEnter);
        if (focused)
            FocusBox();
        const QString textBefore = w->edit->text();
        if (byEnter) {
            QTest::keyClick(w->edit, Qt::Key_Return);
        } else {
            w->button->click();
        }
        QVERIFY(w->desktop.opened.empty());
        QCOMPARE(w->desktop.messages.size(), 1u);
        QCOMPARE(w->desktop.messages[0].text, Local("搜索内容不能为空！"));
        QCOMPARE(w->desktop.messages[0].title, Local("请输入要搜索的内容"));
        QCOMPARE(w->edit->text(), textBefore);
    }

    void hintGreyTextIsNeverSearched() {
        // Any text in the hint's grey counts as no search text, whatever its words.
        QPalette palette = w->edit->palette();
        w->edit->setText("Alien");
        palette.setColor(QPalette::Text, QColor::fromRgb(varneth::kSearchHintRgb));
        w->edit->setPalette(palette);
        w->button->click();
        QVERIFY(w->desktop.opened.empty());
        QCOMPARE(w->desktop.messages.size(), 1u);
    }

    void searchOpensTheEncodedAddress_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");  // 0: the button
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("query");
        QTest::newRow("button") << "Alien" << 0 << 0 << "Alien";
        QTest::newRow("Return, & and #") << "A&B #1" << int(Qt::Key_Return) << 0 << "A%26B%20%231";
        QTest::newRow("keypad Enter, spaces only")
            << "   " << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "%20%20%20";
        QTest::newRow("shift Return, Chinese with spaces around")
            << QString::fromUtf8(" 钢铁侠 ") << int(Qt::Key_Return) << int(Qt::ShiftModifier)
            << "%20%E9%92%A2%E9%93%81%E4%BE%A0%20";
        QTest::newRow("button, plus and percent") << "1+1 100%" << 0 << 0 << "1%2B1%20100%25";
    }
    void searchOpensTheEncodedAddress() {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, query);
        FocusBox();
        Type(w->edit, typed);
        QCOMPARE(w->edit->text(), typed);
        QVERIFY(w->desktop.opened.empty());  // typing alone opens nothing

        QSignalSpy returnPressed(w->edit, &QLineEdit::returnPressed);
        if (key == 0) {
            QTest::mouseClick(w->button, Qt::LeftButton);
        } else {
            QTest::keyClick(w->edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            // The key is not consumed: the box still sees its Enter.
            QCOMPARE(returnPressed.count(), 1);
        }
        QCOMPARE(w->desktop.opened.size(), 1u);
        QCOMPARE(w->desktop.opened[0], Text(kSearchBase) + Text(query.toStdString()));
        QVERIFY(w->desktop.messages.empty());
        QCOMPARE(w->edit->text(), typed);  // the search leaves the box as it was
    }
};

QTEST_MAIN(SearchBoxTest)
#include "test_search_box.moc"

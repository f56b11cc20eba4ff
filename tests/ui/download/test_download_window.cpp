// The download window against the loopback site: which pages it follows, which targets its six
// labels get, and what a press sends and hands on.
#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTreeWidget>

#include "download_test_support.h"
#include "matcher/pattern_matcher.h"
#include "text/codepage.h"
#include "ui/common/recording_desktop.h"
#include "ui/common/shared_state.h"
#include "ui/download/download_window.h"
#include "ui/download/hyperlink_label.h"
#if VARNETH_HAVE_QT_DESKTOP
#include "app/qt_desktop.h"
#endif

using varneth::DownloadWindow;
using varneth::HyperlinkLabel;
using varneth::Local;
using varneth::PatternMatcher;
using varneth::SharedState;
using varneth::SiteAddresses;
using varneth::Text;
using varneth::testing::MakeResponse;
using varneth::testing::RecordedRequest;
using varneth::testing::RecordingDesktop;
using varneth::testing::TrustedServer;
using varneth::testing::WhenModalAppears;

namespace {

const char* const kDownloadHost = "dl.lumora.test";
constexpr int kListedRows = 5;

std::string Html(const std::string& body) {
    return MakeResponse(200, "OK", {{"Content-Type", "text/html; charset=utf-8"}}, body);
}

std::string LinkItem(const std::string& href, int number) {
    return "<li><a rel=\"nofollow\" href=\"" + href +
           "\" class=\"btn btn-sm\"><span class=\"glyphicon glyphicon-download\"></span>" +
           " 下载" + std::to_string(number) + "</a></li>\n";
}

QString Qs(const Text& text) {
    return QString::fromStdString(varneth::LocalToUtf8(text));
}

}  // namespace

class DownloadWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        site_ = std::make_unique<TrustedServer>();
        state_ = std::make_unique<SharedState>();
        state_->ListMatcher = std::make_unique<PatternMatcher>();
        state_->LinkMatcher = std::make_unique<PatternMatcher>();
        state_->addresses = SiteAddresses::ForHost(Text(site_->server.hostPort()), kDownloadHost);
        desktop_ = RecordingDesktop{};
        state_->desktop = &desktop_;
        // The listing: match i is row i-1, its group 1 the subtitle's page path.
        std::string listing;
        for (int row = 1; row <= kListedRows; ++row) {
            listing += "<a href=\"/subs/" + std::to_string(row) + "\">row</a>\n";
        }
        QVERIFY(state_->ListMatcher->Search("<a href=\"(.*?)\">", Text(listing)));
    }
    void cleanup() {
        state_.reset();
        site_.reset();
    }

    // --- opening -----------------------------------------------------------------------------

    void opensForTheActivatedRow_data() {
        QTest::addColumn<int>("selected");  // -1: no row selected
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QString>("firstTarget");
        QTest::newRow("third row") << 2 << 3 << "/subs/3";
        QTest::newRow("first row") << 0 << 1 << "/subs/1";
        QTest::newRow("no selection: the site's base alone") << -1 << 0 << "/";
    }
    void opensForTheActivatedRow() {
        QFETCH(int, selected);
        QFETCH(int, selectedRow);
        QFETCH(QString, firstTarget);
        QTreeWidget list;
        for (int row = 0; row < kListedRows; ++row) {
            new QTreeWidgetItem(&list, QStringList{QString("/subs/%1").arg(row + 1)});
        }
        if (selected >= 0)
            list.topLevelItem(selected)->setSelected(true);
        list.show();

        bool wasModal = false;
        QWidget* parent = &list;
        bool listBlocked = false;
        WhenModalAppears<DownloadWindow>([&](DownloadWindow* window) {
            wasModal = window->windowModality() == Qt::ApplicationModal;
            parent = window->parentWidget();
            // While the window is open the main window takes no input.
            listBlocked = QApplication::activeModalWidget() == window && !list.isActiveWindow();
            window->close();
        });
        varneth::OpenDownloadWindow(&list, *state_);  // returns once the window is closed

        QCOMPARE(state_->SelectedRow, selectedRow);
        const auto requests = site_->server.Requests();
        QVERIFY(!requests.empty());
        QCOMPARE(QString::fromStdString(requests.front().target), firstTarget);
        QVERIFY(requests.front().tls);  // the site's base is https
        QVERIFY(wasModal);
        QVERIFY(listBlocked);
        QCOMPARE(parent, nullptr);
        QVERIFY(desktop_.messages.empty());
    }

    // --- loading the targets -----------------------------------------------------------------

    void fillsTheTargetsInPageOrder_data() {
        QTest::addColumn<int>("links");
        QTest::addColumn<int>("filled");
        QTest::newRow("four links") << 4 << 4;
        QTest::newRow("eight links: the first six") << 8 << 6;
        QTest::newRow("six links") << 6 << 6;
        QTest::newRow("none") << 0 << 0;
    }
    void fillsTheTargetsInPageOrder() {
        QFETCH(int, links);
        QFETCH(int, filled);
        StageDownloadPage(2, links);
        state_->SelectedRow = 2;

        DownloadWindow window(*state_);

        QCOMPARE(Qs(state_->DownloadPageUrl), Qs(DownloadPage(2)));
        for (int i = 1; i <= DownloadWindow::kLinkCount; ++i) {
            HyperlinkLabel* label = window.link(i);
            if (i <= filled) {
                QCOMPARE(Qs(label->target()), Qs(LinkAddress(i)));
                QCOMPARE(label->state(), HyperlinkLabel::State::Filled);
            } else {
                QVERIFY(label->target().empty());
                QCOMPARE(label->state(), HyperlinkLabel::State::Empty);
            }
        }
        QVERIFY(desktop_.messages.empty());
        // The subtitle page, then the download page: nothing else.
        const auto requests = site_->server.Requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].target, std::string("/subs/2"));
        QCOMPARE(requests[1].target, std::string("/down/2"));
    }

    void followsTheFirstDown1Anchor() {
        site_->server.Route("/subs/1", Html("<a id=\"down1\" href=\"" + DownloadPage(1).str() +
                                            "\">下载</a> <a id=\"down1\" href=\"" +
                                            DownloadPage(9).str() + "\">again</a>"));
        site_->server.Route("/down/1", Html(LinkItem(LinkAddress(1).str(), 1)));
        state_->SelectedRow = 1;

        DownloadWindow window(*state_);

        QCOMPARE(Qs(state_->DownloadPageUrl), Qs(DownloadPage(1)));
        QCOMPARE(Qs(window.link(1)->target()), Qs(LinkAddress(1)));
    }

    void aPageWithoutDown1LeavesEverythingEmpty() {
        site_->server.Route("/subs/1", Html("<a id=\"down2\" href=\"/x\">nothing here</a>"));
        state_->SelectedRow = 1;
        state_->DownloadPageUrl = Text("left over from before");

        DownloadWindow window(*state_);

        QVERIFY(state_->DownloadPageUrl.empty());
        for (int i = 1; i <= DownloadWindow::kLinkCount; ++i) {
            QVERIFY(window.link(i)->target().empty());
        }
        QVERIFY(desktop_.messages.empty());
        QCOMPARE(site_->server.Requests().size(), std::size_t{1});  // the empty address: none
    }

    // --- pressing a label --------------------------------------------------------------------

    void aPressSendsTheRequestAsOnTheWire() {
        StageDownloadPage(1, 2);
        site_->server.Route(
            "/dl/1", MakeResponse(302, "Found", {{"Location", LinkAddress(7).str() + "?f=1"}},
                                  "<html>moved</html>"));
        state_->SelectedRow = 1;
        DownloadWindow window(*state_);
        site_->server.ClearRequests();

        QTest::mousePress(window.link(1), Qt::LeftButton);

        const auto requests = site_->server.Requests();
        QCOMPARE(requests.size(), std::size_t{1});  // the redirect is not followed
        QCOMPARE(requests[0].method, std::string("GET"));
        QCOMPARE(requests[0].target, std::string("/dl/1"));
        const std::string expectedStart = std::string("Host: ") + kDownloadHost +
                                          "\r\nReferer: " + DownloadPage(1).str() +
                                          "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                                          "Content-Type: application/x-www-form-urlencoded\r\n";
        QCOMPARE(QString::fromStdString(requests[0].headers.substr(0, expectedStart.size())),
                 QString::fromStdString(expectedStart));
        QCOMPARE(desktop_.downloads.size(), std::size_t{1});
        QCOMPARE(Qs(desktop_.downloads[0]), Qs(LinkAddress(7)) + "?f=1");
        QVERIFY(desktop_.messages.empty());
        QVERIFY(desktop_.opened.empty());  // the browser never opens
        QCOMPARE(window.link(1)->state(), HyperlinkLabel::State::Spent);
        QCOMPARE(window.link(2)->state(), HyperlinkLabel::State::Filled);
    }

    void handsOnTheLocationValue_data() {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QString>("handedOn");  // empty: the failure message instead
        const auto redirect = [](const std::string& headerLines) {
            return QByteArray::fromStdString("HTTP/1.1 302 Found\r\n" + headerLines +
                                             "Content-Length: 0\r\n\r\n");
        };
        QTest::newRow("absolute") << redirect("Location: https://files.test/a.srt\r\n")
                                  << "https://files.test/a.srt";
        QTest::newRow("relative, unchanged")
            << redirect("Location: /files/a b.srt\r\n") << "/files/a b.srt";
        QTest::newRow("small letters")
            << redirect("location: https://files.test/b.srt\r\n") << "https://files.test/b.srt";
        QTest::newRow("Content-Location first")
            << redirect("Content-Location: /wrong\r\nLocation: /right.srt\r\n") << "/right.srt";
        QTest::newRow("an error status with Location")
            << QByteArray(
                   "HTTP/1.1 404 Not Found\r\nLocation: /still.srt\r\nContent-Length: "
                   "0\r\n\r\n")
            << "/still.srt";
        QTest::newRow("200 with a body, no Location")
            << QByteArray::fromStdString(Html("<html>the file is gone</html>")) << "";
        QTest::newRow("Location with no value") << redirect("Location:   \r\n") << "";
    }
    void handsOnTheLocationValue() {
        QFETCH(QByteArray, response);
        QFETCH(QString, handedOn);
        StageDownloadPage(1, 1);
        site_->server.Route("/dl/1", response.toStdString());
        state_->SelectedRow = 1;
        DownloadWindow window(*state_);

        QTest::mousePress(window.link(1), Qt::LeftButton);

        if (handedOn.isEmpty()) {
            QVERIFY(desktop_.downloads.empty());
            ExpectFailureMessages(1);
        } else {
            QCOMPARE(desktop_.downloads.size(), std::size_t{1});
            QCOMPARE(Qs(desktop_.downloads[0]), handedOn);
            QVERIFY(desktop_.messages.empty());
        }
    }

    // A spent label and a label never filled both call the engine with the empty address (no
    // request goes out) and show the failure message.
    void spentAndEmptyLabelsShowTheFailureMessage() {
        StageDownloadPage(1, 4);
        site_->server.Route("/dl/1", MakeResponse(302, "Found", {{"Location", "/f.srt"}}, ""));
        state_->SelectedRow = 1;
        DownloadWindow window(*state_);
        site_->server.ClearRequests();

        QTest::mousePress(window.link(1), Qt::LeftButton);
        QCOMPARE(desktop_.downloads.size(), std::size_t{1});
        QTest::mousePress(window.link(1), Qt::LeftButton);  // spent
        QTest::mousePress(window.link(6), Qt::LeftButton);  // never filled

        QCOMPARE(site_->server.Requests().size(), std::size_t{1});
        QCOMPARE(desktop_.downloads.size(), std::size_t{1});
        ExpectFailureMessages(2);
        QCOMPARE(window.link(1)->state(), HyperlinkLabel::State::Spent);
        QCOMPARE(window.link(6)->state(), HyperlinkLabel::State::Empty);
    }

    void aDoubleClickResolvesOnce() {
        StageDownloadPage(1, 1);
        site_->server.Route("/dl/1", MakeResponse(302, "Found", {{"Location", "/f.srt"}}, ""));
        state_->SelectedRow = 1;
        DownloadWindow window(*state_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // Through the window system, as a real double-click arrives: press, release, and a
        // second press that Qt turns into a double-click event.
        const QPoint centre = window.link(1)->geometry().center();
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, centre);

        QCOMPARE(desktop_.downloads.size(), std::size_t{1});
        QVERIFY(desktop_.messages.empty());
    }

    void onlyTheLeftButtonPresses() {
        StageDownloadPage(1, 1);
        state_->SelectedRow = 1;
        DownloadWindow window(*state_);
        QTest::mousePress(window.link(1), Qt::RightButton);
        QTest::mousePress(window.link(1), Qt::MiddleButton);
        QCOMPARE(window.link(1)->state(), HyperlinkLabel::State::Filled);
        QVERIFY(desktop_.messages.empty());
    }

    void reopeningFillsTheTargetsAgain() {
        StageDownloadPage(1, 2);
        site_->server.Route("/dl/1", MakeResponse(302, "Found", {{"Location", "/f.srt"}}, ""));
        state_->SelectedRow = 1;
        {
            DownloadWindow first(*state_);
            QTest::mousePress(first.link(1), Qt::LeftButton);
            QCOMPARE(first.link(1)->state(), HyperlinkLabel::State::Spent);
        }
        DownloadWindow second(*state_);
        QCOMPARE(Qs(second.link(1)->target()), Qs(LinkAddress(1)));
        QCOMPARE(second.link(1)->state(), HyperlinkLabel::State::Filled);
    }

#if VARNETH_HAVE_QT_DESKTOP
    // The program's own message box, closed as a user would.
    void theRealMessageBox() {
        StageDownloadPage(1, 0);
        state_->SelectedRow = 1;
        varneth::QtDesktop desktop;
        state_->desktop = &desktop;
        DownloadWindow window(*state_);
        window.show();
        QString title;
        QString text;
        int buttons = 0;
        bool hasIcon = true;
        QWidget* owner = &window;
        WhenModalAppears<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            hasIcon = box->icon() != QMessageBox::NoIcon;
            owner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });

        QTest::mousePress(window.link(3), Qt::LeftButton);  // returns once the box is closed

        QCOMPARE(title, QStringLiteral("信息："));
        QCOMPARE(text, QStringLiteral("获取下载链接失败，请尝试其它链接或重新打开下载页面"));
        QCOMPARE(buttons, 1);
        QVERIFY(!hasIcon);
        QCOMPARE(owner, nullptr);
    }
#endif

    // --- the window's design -----------------------------------------------------------------

    void layoutAsDesigned() {
        state_->SelectedRow = 0;  // the base page has no links: all targets empty
        DownloadWindow window(*state_);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("字幕下载页面"));
        // Offscreen there is no frame, so the client area is the whole outer size.
        QCOMPARE(window.frameGeometry().size(), QSize(235, 162));
        QCOMPARE(window.minimumSize(), window.maximumSize());  // not resizable
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
        const QRect screen = window.screen()->geometry();
        QCOMPARE(window.frameGeometry().center().x(), screen.center().x());
        QVERIFY(qAbs(window.frameGeometry().center().y() - screen.center().y()) <= 1);

        const QPoint places[] = {{24, 24}, {133, 24}, {24, 59}, {133, 59}, {24, 96}, {133, 96}};
        const QList<QLabel*> labels = window.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 6);  // six labels and nothing else
        for (int i = 1; i <= 6; ++i) {
            HyperlinkLabel* label =
                window.findChild<HyperlinkLabel*>(QStringLiteral("超级链接框%1").arg(i));
            QVERIFY(label);
            QCOMPARE(label, window.link(i));
            QCOMPARE(label->text(), QStringLiteral("下载地址%1").arg(i));
            QCOMPARE(label->geometry(), QRect(places[i - 1], QSize(72, 16)));
            QCOMPARE(label->textFormat(), Qt::PlainText);
            QVERIFY(label->alignment() & Qt::AlignLeft);
            QVERIFY(label->font().underline());
            QCOMPARE(label->font().family(), QApplication::font().family());
            QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        }
        const QString out = qEnvironmentVariable("VARNETH_SHOTS_DIR");
        if (!out.isEmpty())
            window.grab().save(out + "/download_window.png");
    }

  private:
    Text DownloadPage(int row) const {
        return Text(site_->Address("/down/" + std::to_string(row)));
    }
    Text LinkAddress(int number) const {
        return Text(site_->Address("/dl/" + std::to_string(number)));
    }
    // The subtitle page of `row` naming its download page, which lists `links` links.
    void StageDownloadPage(int row, int links) {
        site_->server.Route("/subs/" + std::to_string(row),
                            Html("<p>字幕</p><a id=\"down1\" href=\"" + DownloadPage(row).str() +
                                 "\" class=\"btn\">下载字幕</a>"));
        std::string page = "<ul>\n";
        for (int i = 1; i <= links; ++i)
            page += LinkItem(LinkAddress(i).str(), i);
        site_->server.Route("/down/" + std::to_string(row), Html(page + "</ul>"));
    }
    void ExpectFailureMessages(std::size_t count) {
        QCOMPARE(desktop_.messages.size(), count);
        for (const auto& message : desktop_.messages) {
            QCOMPARE(Qs(message.text),
                     QStringLiteral("获取下载链接失败，请尝试其它链接或重新打开下载页面"));
            QCOMPARE(Qs(message.title), QStringLiteral("信息："));
        }
    }

    std::unique_ptr<TrustedServer> site_;
    std::unique_ptr<SharedState> state_;
    RecordingDesktop desktop_;
};

QTEST_MAIN(DownloadWindowTest)
#include "test_download_window.moc"

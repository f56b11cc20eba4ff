// The list's right-click menu: where it pops up, and the address each of its items opens,
// against a loopback copy of the site.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "platform/transport_settings.h"
#include "support/loopback_server.h"
#include "text/codepage.h"
#include "ui/browser/link_actions.h"
#include "ui/common/recording_desktop.h"
#include "ui/common/shared_state.h"

using varneth::Local;
using varneth::Text;
using varneth::testing::LoopbackServer;
using varneth::testing::MakeResponse;

namespace {

std::string Page(const std::string& utf8Body) {
    return MakeResponse(200, "OK", {{"Content-Type", "text/html; charset=utf-8"}},
                        "<html><head><title>x</title>" + utf8Body + "</html>");
}

std::string Keywords(const std::string& content) {
    return "<meta name=\"keywords\" content=\"" + content + "\">";
}

// The main window's part that matters here: the four-column list, a hidden menu of three items.
struct Window {
    QWidget window;
    QTreeWidget* list = new QTreeWidget(&window);
    QMenu* menu = new QMenu(QString::fromUtf8("打开链接"), &window);
    varneth::testing::RecordingDesktop desktop;
    varneth::SharedState state;
    std::unique_ptr<varneth::LinkActions> actions;

    Window(const std::string& hostPort, const QStringList& rowPaths) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        list->setColumnCount(4);
        list->setHeaderLabels(
            {"", "", QString::fromUtf8("字幕名称"), QString::fromUtf8("上传时间")});
        list->setColumnWidth(0, 0);
        list->setColumnWidth(1, 40);
        list->setColumnWidth(2, 300);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        int number = 1;
        for (const QString& path : rowPaths) {
            new QTreeWidgetItem(list, {path, QString::number(number++),
                                       QString::fromUtf8("字幕 ") + path, "2024-05-01"});
        }
        for (const char* caption : {"打开Lumora链接", "打开片源链接", "打开豆瓣链接"}) {
            menu->addAction(QString::fromUtf8(caption));
        }
        window.resize(460, 300);
        window.move(100, 100);
        state.addresses = varneth::SiteAddresses::ForHost(Text(hostPort), "127.0.0.1");
        state.desktop = &desktop;
        actions = std::make_unique<varneth::LinkActions>(list, menu, state);
    }

    QAction* item(int i) const { return menu->actions().at(i); }
    void select(int row) const { list->topLevelItem(row)->setSelected(true); }
};

}  // namespace

class LinkActionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackServer> server;
    std::unique_ptr<Window> w;

    Text SiteHttp() const { return Text("http://") + Text(server->hostPort()); }
    Text SourceSearch() const { return SiteHttp() + "/source/search?q="; }

    // Right-clicks the list's rows area at `local` (viewport coordinates) with the cursor there,
    // as a mouse would: press, release, and the context-menu request in between.
    QPoint RightClick(QPoint local) {
        const QPoint global = w->list->viewport()->mapToGlobal(local);
        QCursor::setPos(global);
        QTest::mouseClick(w->window.windowHandle(), Qt::RightButton, {},
                          w->list->viewport()->mapTo(&w->window, local));
        return global;
    }

    // Saves the window with its pop-up menu drawn where it is on screen, when VARNETH_GRAB_DIR
    // names a folder, to look at by eye.
    void SaveWindowWithMenu(const char* name) {
        const QByteArray dir = qgetenv("VARNETH_GRAB_DIR");
        if (dir.isEmpty())
            return;
        const QPoint origin = w->window.mapToGlobal(QPoint(0, 0));
        const QRect menuRect = w->menu->geometry().translated(-origin);
        QImage image(w->window.rect().united(menuRect).size(), QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        QPainter painter(&image);
        painter.drawPixmap(0, 0, w->window.grab());
        painter.drawPixmap(menuRect.topLeft(), w->menu->grab());
        painter.end();
        image.save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    }

    void UseSubtitlePage(const std::string& body) {
        server->Route("/sub/1.html", Page(body));
        w->select(0);
    }

  private slots:
    void initTestCase() {
        server = std::make_unique<LoopbackServer>();
        varneth::platform::TransportSettings settings;
        settings.extraCaPem = server->caPem();
        settings.connectTimeoutMs = 5000;
        varneth::platform::SetTransportSettings(settings);
    }
    void init() {
        w = std::make_unique<Window>(server->hostPort(),
                                     QStringList{"/sub/1.html", "/sub/2.html", "/sub/3.html"});
        w->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->window));
        server->ClearRequests();
    }
    void cleanup() { w.reset(); }
    void cleanupTestCase() { server.reset(); }

    void lumoraItemOpensTheRowPathUnderHttp() {
        w->select(1);
        w->item(0)->trigger();
        QCOMPARE(w->desktop.opened, std::vector<Text>{SiteHttp() + "/sub/2.html"});
        QVERIFY(server->Requests().empty());  // nothing is fetched for it
    }

    void sourceItemSearchesForTheFirstKeyword_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("three words") << QByteArray::fromStdString(Keywords("钢铁侠,Iron Man,2008"))
                                     << QByteArray("%E9%92%A2%E9%93%81%E4%BE%A0");
        QTest::newRow("one word") << QByteArray::fromStdString(Keywords("Alien"))
                                  << QByteArray("Alien");
        QTest::newRow("leading comma: empty query")
            << QByteArray::fromStdString(Keywords(",Alien,1979")) << QByteArray("");
        QTest::newRow("spaces around are kept")
            << QByteArray::fromStdString(Keywords(" Iron Man ,2008"))
            << QByteArray("%20Iron%20Man%20");
        QTest::newRow("a double-byte comma does not split")
            << QByteArray::fromStdString(Keywords("异形，外星人"))
            << QByteArray("%E5%BC%82%E5%BD%A2%EF%BC%8C%E5%A4%96%E6%98%9F%E4%BA%BA");
        QTest::newRow("& and # stay inside the value")
            << QByteArray::fromStdString(Keywords("A&B #1,x")) << QByteArray("A%26B%20%231");
        QTest::newRow("first tag of two")
            << QByteArray::fromStdString(Keywords("First") + Keywords("Second"))
            << QByteArray("First");
    }
    void sourceItemSearchesForTheFirstKeyword() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, query);
        UseSubtitlePage(head.toStdString());
        w->item(1)->trigger();
        QCOMPARE(w->desktop.opened, std::vector<Text>{SourceSearch() + Text(query.toStdString())});
        QVERIFY(w->desktop.messages.empty());
        // The subtitle page was fetched once, over https.
        const auto requests = server->Requests();
        QCOMPARE(requests.size(), 1u);
        QCOMPARE(requests[0].target, std::string("/sub/1.html"));
        QVERIFY(requests[0].tls);
    }

    void sourceItemWithoutAFilmNameSaysSo_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("no keywords tag") << QByteArray("<meta name=\"description\" content=\"x\">");
        QTest::newRow("empty content") << QByteArray::fromStdString(Keywords(""));
        QTest::newRow("tag in other case") << QByteArray("<META NAME=\"keywords\" content=\"x\">");
    }
    void sourceItemWithoutAFilmNameSaysSo() {
        QFETCH(QByteArray, head);
        UseSubtitlePage(head.toStdString());
        w->item(1)->trigger();
        QVERIFY(w->desktop.opened.empty());
        QCOMPARE(w->desktop.messages.size(), 1u);
        QCOMPARE(w->desktop.messages[0].text, Local("该字幕页面上没有找到影片名称！"));
        QCOMPARE(w->desktop.messages[0].title, Local("片名未找到"));
    }

    void doubanItemOpensTheHttpsLinkUnderHttp_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("path");  // empty: not found
        const QByteArray https =
            "<li><a href=\"https://" + QByteArray::fromStdString(server->hostPort());
        const QByteArray http =
            "<li><a href=\"http://" + QByteArray::fromStdString(server->hostPort());
        QTest::newRow("https link") << https + "/subject/1292722/\" target=\"_blank\">豆瓣</a></li>"
                                    << QByteArray("/subject/1292722/");
        QTest::newRow("http link only")
            << http + "/subject/1292722/\">豆瓣</a></li>" << QByteArray();
        QTest::newRow("http link, then https")
            << http + "/subject/1/\">a</a></li>" + https + "/subject/2/\">b</a></li>"
            << QByteArray("/subject/2/");
        QTest::newRow("no link") << QByteArray("<ul><li>none</li></ul>") << QByteArray();
    }
    void doubanItemOpensTheHttpsLinkUnderHttp() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, path);
        UseSubtitlePage(body.toStdString());
        w->item(2)->trigger();
        if (path.isEmpty()) {
            QVERIFY(w->desktop.opened.empty());
            QCOMPARE(w->desktop.messages.size(), 1u);
            QCOMPARE(w->desktop.messages[0].text, Local("该影片尚无豆瓣链接！"));
            QCOMPARE(w->desktop.messages[0].title, Local("链接未找到"));
        } else {
            QCOMPARE(w->desktop.opened, std::vector<Text>{SiteHttp() + Text(path.toStdString())});
            QVERIFY(w->desktop.messages.empty());
        }
        QCOMPARE(server->Requests().size(), 1u);
    }

    void failedFetchOpensNothing() {
        server->RouteFault("/sub/1.html", varneth::testing::Fault::Garbage);
        w->select(0);
        w->item(1)->trigger();
        w->item(2)->trigger();
        QVERIFY(w->desktop.opened.empty());
        QCOMPARE(w->desktop.messages.size(), 2u);
        QCOMPARE(w->desktop.messages[0].title, Local("片名未找到"));
        QCOMPARE(w->desktop.messages[1].title, Local("链接未找到"));
    }

    void withoutSelectionTheItemsUseTheHomePage() {
        server->Route("/", Page(Keywords("Home,x") + "<li><a href=\"https://" + server->hostPort() +
                                "/subject/9/\">d</a></li>"));
        for (int i = 0; i < 3; ++i)
            w->item(i)->trigger();
        QCOMPARE(w->desktop.opened, (std::vector<Text>{SiteHttp(), SourceSearch() + "Home",
                                                       SiteHttp() + "/subject/9/"}));
        const auto requests = server->Requests();
        QCOMPARE(requests.size(), 2u);
        for (const auto& request : requests) {
            QCOMPARE(request.target, std::string("/"));
            QVERIFY(request.tls);
        }
    }

    void menuPopsUpAtTheCursor_data() {
        QTest::addColumn<int>("selectedBefore");  // -1: none
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<QString>("rowPath");  // what the item then acts on
        QTest::newRow("on a row") << -1 << true << "/sub/2.html";
        QTest::newRow("below the last row, none selected") << -1 << false << "";
        QTest::newRow("below the last row, a row selected") << 2 << false << "/sub/3.html";
    }
    void menuPopsUpAtTheCursor() {
        QFETCH(int, selectedBefore);
        QFETCH(bool, onRow);
        QFETCH(QString, rowPath);
        if (selectedBefore >= 0)
            w->select(selectedBefore);
        const QRect secondRow = w->list->visualItemRect(w->list->topLevelItem(1));
        const QRect lastRow = w->list->visualItemRect(w->list->topLevelItem(2));
        const QPoint local =
            onRow ? QPoint(150, secondRow.center().y()) : QPoint(150, lastRow.bottom() + 60);
        QVERIFY(w->list->viewport()->rect().contains(local));

        const QPoint cursor = RightClick(local);
        QTRY_VERIFY(w->menu->isVisible());
        QCOMPARE(w->menu->geometry().topLeft(), cursor);
        QCOMPARE(QCursor::pos(), cursor);
        SaveWindowWithMenu(onRow ? "link_menu_on_row" : "link_menu_below_rows");

        // Chosen with the right mouse button; it acts on the row selected now.
        QTest::mouseClick(w->menu, Qt::RightButton, {},
                          w->menu->actionGeometry(w->item(0)).center());
        QTRY_VERIFY(!w->menu->isVisible());
        QCOMPARE(w->desktop.opened, std::vector<Text>{SiteHttp() + Text(rowPath.toStdString())});
    }

    void menuCanBeDismissed() {
        const QPoint cursor = RightClick(QPoint(100, 10));
        QTRY_VERIFY(w->menu->isVisible());
        QCOMPARE(w->menu->geometry().topLeft(), cursor);
        QTimer::singleShot(0, w->menu, &QMenu::close);
        QTRY_VERIFY(!w->menu->isVisible());
        QVERIFY(w->desktop.opened.empty());
        QVERIFY(w->desktop.messages.empty());
    }
};

QTEST_MAIN(LinkActionsTest)
#include "test_link_actions.moc"

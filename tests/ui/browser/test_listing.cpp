// The listing against the demo site: the first load, paging, categories, overlapping loads and
// pages that fail or hold no rows.
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <thread>

#include "listing_fixture.h"
#include "support/loopback_server.h"

using namespace varneth;
using namespace varneth::testing;
using demo::Category;

class ListingTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<demo::DemoSite> site_;

    std::vector<const demo::Subtitle*> Rows(Category c, int page) const {
        return site_->catalogue().Page(c, page);
    }
    int ListingRequests() const {
        int n = 0;
        for (const RecordedRequest& r : site_->server().Requests())
            n += r.target.rfind("/newsubs?", 0) == 0 ? 1 : 0;
        return n;
    }

  private slots:
    void init() {
        site_ = std::make_unique<demo::DemoSite>();
        TrustSite(*site_);
    }
    void cleanup() { site_.reset(); }

    void firstLoadShowsPageOneOfAllSubtitles() {
        // Page 1 is held back a moment so that the state before its arrival can be seen.
        const std::string page1 = site_->Answer("/newsubs?p=1");
        site_->server().Route("/newsubs?p=1", [page1](const RecordedRequest&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            return page1;
        });
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QCOMPARE(w.categories()->currentText(), QString::fromUtf8("全部字幕"));
        QVERIFY(!w.previous()->isEnabled());
        QVERIFY(w.next()->isEnabled());
        QCOMPARE(w.list()->topLevelItemCount(), 0);
        QCOMPARE(w.label()->text(), QString());

        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 1)), QString());
        QCOMPARE(w.label()->text(), PageLabel(1));
        QVERIFY(!w.previous()->isEnabled());
        QVERIFY(w.next()->isEnabled());
        QCOMPARE(w.list()->columnCount(), 4);
        const auto requests = site_->server().Requests();
        QCOMPARE(requests.size(), std::size_t{1});
        QCOMPARE(requests[0].target, std::string("/newsubs?p=1"));
        QVERIFY(requests[0].tls);
    }

    void pagingToTheLastPageAndBack() {
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QVERIFY(w.WaitForLoads());
        for (int page = 2; page <= 49; ++page) {
            w.next()->click();
            QVERIFY(w.previous()->isEnabled());  // set at the click, before the page arrives
        }
        QVERIFY(w.WaitForLoads());
        QCOMPARE(w.state.CurrentPage, 49);
        QCOMPARE(w.label()->text(), PageLabel(49));
        QVERIFY(w.next()->isEnabled());
        QVERIFY(w.previous()->isEnabled());

        w.next()->click();
        QVERIFY(!w.next()->isEnabled());
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 50)), QString());
        QCOMPARE(w.label()->text(), PageLabel(50));

        w.previous()->click();
        QVERIFY(w.next()->isEnabled());
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 49)), QString());
        QCOMPARE(w.label()->text(), PageLabel(49));

        for (int page = 48; page >= 1; --page)
            w.previous()->click();
        QVERIFY(!w.previous()->isEnabled());
        QVERIFY(w.WaitForLoads());
        QCOMPARE(w.state.CurrentPage, 1);
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 1)), QString());
        // Page 2's first row is numbered 1 again.
        w.next()->click();
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 2)), QString());
    }

    void sameCategoryLoadsNothingAnotherStartsAtPageOne() {
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QVERIFY(w.WaitForLoads());
        w.ChooseCategory(1);  // 电影字幕
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::Films, 1)), QString());
        for (int i = 0; i < 6; ++i)
            w.next()->click();
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::Films, 7)), QString());

        const int before = ListingRequests();
        w.ChooseCategory(1);
        QCOMPARE(w.window->loader().PendingLoads(), 0);
        QCOMPARE(w.state.CurrentPage, 7);
        QVERIFY(w.WaitForLoads());
        QCOMPARE(ListingRequests(), before);
        QCOMPARE(DifferenceFromRows(w, Rows(Category::Films, 7)), QString());

        w.ChooseCategory(0);  // 全部字幕
        QCOMPARE(w.state.CurrentPage, 1);
        QVERIFY(w.previous()->isEnabled());  // until the load has ended
        QVERIFY(w.WaitForLoads());
        QVERIFY(!w.previous()->isEnabled());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 1)), QString());
        QCOMPARE(w.label()->text(), PageLabel(1));
        QCOMPARE(w.state.ListBaseUrl, w.state.addresses.siteBase + "/newsubs?p=");
    }

    void categoryChangeEnablesNextPageAgain() {
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        for (int i = 0; i < 49; ++i)
            w.next()->click();
        QVERIFY(!w.next()->isEnabled());
        w.ChooseCategory(2);  // 美剧字幕
        QVERIFY(w.next()->isEnabled());
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::Series, 1)), QString());
        QCOMPARE(w.state.ListBaseUrl, w.state.addresses.siteBase + "/newsubs?t=tv&p=");
    }

    void previousAtPageOneBeforeTheLoadEndsLoadsNothing() {
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QVERIFY(w.WaitForLoads());
        w.next()->click();
        w.next()->click();
        QVERIFY(w.WaitForLoads());
        w.ChooseCategory(1);
        QVERIFY(w.previous()->isEnabled());
        const int pending = w.window->loader().PendingLoads();
        w.previous()->click();
        QCOMPARE(w.window->loader().PendingLoads(), pending);
        QCOMPARE(w.state.CurrentPage, 1);
        QVERIFY(!w.previous()->isEnabled());
        QVERIFY(w.next()->isEnabled());
        QVERIFY(w.WaitForLoads());
        QCOMPARE(DifferenceFromRows(w, Rows(Category::Films, 1)), QString());
    }

    void focusGoesToTheListWhenTheCategoryListCloses_data() {
        QTest::addColumn<bool>("choose");
        QTest::newRow("an entry chosen") << true;
        QTest::newRow("closed without a choice") << false;
    }
    void focusGoesToTheListWhenTheCategoryListCloses() {
        QFETCH(bool, choose);
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        w.categories()->setFocus();
        QVERIFY(w.categories()->hasFocus());
        w.categories()->showPopup();
        QWidget* popup = w.categories()->view()->window();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        if (choose) {
            QTest::keyClick(w.categories()->view(), Qt::Key_Down);
            QTest::keyClick(w.categories()->view(), Qt::Key_Return);
        } else {
            QTest::keyClick(w.categories()->view(), Qt::Key_Escape);
        }
        QTRY_VERIFY(!popup->isVisible());
        QTRY_VERIFY(w.list()->hasFocus());
        QCOMPARE(w.categories()->currentIndex(), choose ? 1 : 0);
        QVERIFY(w.WaitForLoads());
    }

    void thirtyQuickClicksEndOnTheLastPageAsked() {
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        for (int i = 0; i < 30; ++i)
            w.next()->click();
        QVERIFY(w.WaitForLoads(20000));
        QCOMPARE(w.state.CurrentPage, 31);
        QCOMPARE(w.label()->text(), PageLabel(31));
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 31)), QString());
        QVERIFY(w.previous()->isEnabled());
        QVERIFY(w.next()->isEnabled());
    }

    void aSlowEarlierPageDoesNotReplaceALaterOne() {
        const std::string page2 = site_->Answer("/newsubs?p=2");
        site_->server().Route("/newsubs?p=2", [page2](const RecordedRequest&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            return page2;
        });
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QVERIFY(w.WaitForLoads());
        QSignalSpy ended(&w.window->loader(), &ListingLoader::loadEnded);
        w.next()->click();
        w.previous()->click();
        QVERIFY(w.WaitForLoads());
        QCOMPARE(ended.count(), 2);
        QCOMPARE(ended.at(0).at(0).toBool(), true);   // page 1, asked last, came first
        QCOMPARE(ended.at(1).at(0).toBool(), false);  // page 2 came after it and was dropped
        QCOMPARE(w.state.CurrentPage, 1);
        QCOMPARE(DifferenceFromRows(w, Rows(Category::All, 1)), QString());
        QCOMPARE(w.label()->text(), PageLabel(1));
    }

    void aPageWithoutRowsEmptiesTheListAndStillSetsTheLabel_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("answer that is not HTTP") << 0;
        QTest::newRow("nothing listening") << 1;
        QTest::newRow("page in another layout") << 2;
        QTest::newRow("empty body") << 3;
    }
    void aPageWithoutRowsEmptiesTheListAndStillSetsTheLabel() {
        QFETCH(int, kind);
        const std::string target = "/newsubs?p=2";
        switch (kind) {
            case 0:
                site_->server().RouteFault(target, Fault::Garbage);
                break;
            case 2:
                site_->server().Route(target,
                                      MakeResponse(200, "OK", {{"Content-Type", "text/html"}},
                                                   "<html><body><ul><li><a href=\"/detail/1.html\">"
                                                   "a row</a></li></ul></body></html>\r\n"));
                break;
            case 3:
                site_->server().Route(target, MakeResponse(200, "OK", {}, ""));
                break;
            default:
                break;
        }
        WindowOnSite w(*site_);
        w.window->OnMainWindowCreated();
        QVERIFY(w.WaitForLoads());
        if (kind == 1) {
            // The second page is asked of a port nothing listens on.
            LoopbackServer closed;
            const Text gone = Text("https://") + Text(closed.hostPort());
            w.state.ListBaseUrl = gone + "/newsubs?p=";
        }
        w.next()->click();
        QVERIFY(w.WaitForLoads(40000));
        QCOMPARE(w.list()->topLevelItemCount(), 0);
        QCOMPARE(w.state.ListMatcher->MatchCount(), 0);
        QCOMPARE(w.label()->text(), PageLabel(2));
        QVERIFY(w.previous()->isEnabled());
        QVERIFY(w.desktop.messages.empty());
    }
};

QTEST_MAIN(ListingTest)
#include "test_listing.moc"

// The whole program from start to end against the demo site: the first rows without any user
// action, the end when the window closes (also while a load hangs) and the clean-up.
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "ui/browser/listing_fixture.h"

using namespace varneth;
using namespace varneth::testing;

class StartProgramTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<demo::DemoSite> site_;

    ProgramSetup Setup(RecordingDesktop& desktop) const {
        ProgramSetup setup;
        const Text host(site_->hostPort());
        setup.addresses = SiteAddresses::ForHost(host, host);
        setup.desktop = &desktop;
        return setup;
    }

  private slots:
    void init() {
        site_ = std::make_unique<demo::DemoSite>();
        TrustSite(*site_);
    }
    void cleanup() { site_.reset(); }

    void sharedStateBeforeTheWindowAndAfterTheCleanUp() {
        RecordingDesktop desktop;
        SharedState state;
        PrepareSharedState(state, Setup(desktop), desktop);
        QVERIFY(state.ListMatcher);
        QVERIFY(state.LinkMatcher);
        QCOMPARE(state.ListMatcher->MatchCount(), 0);
        QCOMPARE(state.ListBaseUrl, Text());
        QCOMPARE(state.CurrentPage, 0);
        QCOMPARE(state.SelectedRow, 0);
        QCOMPARE(state.DownloadPageUrl, Text());
        QCOMPARE(state.desktop, static_cast<Desktop*>(&desktop));

        state.ListBaseUrl = "https://x/newsubs?p=";
        state.DownloadPageUrl = "https://x/download/1.html";
        CleanUpAtExit(state);
        QVERIFY(!state.ListMatcher);
        QVERIFY(!state.LinkMatcher);
        QCOMPARE(state.ListBaseUrl, Text());
        QCOMPARE(state.DownloadPageUrl, Text());
        CleanUpAtExit(state);  // a second run finds nothing left to release
    }

    void theFirstRowsArriveWithoutUserActionAndClosingEndsTheProgram() {
        RecordingDesktop desktop;
        ProgramSetup setup = Setup(desktop);
        int rowsSeen = 0;
        QString label;
        setup.onShown = [&](MainWindow& window) {
            auto* list = window.findChild<QTreeWidget*>(QString::fromUtf8("超级列表框1"));
            auto* timer = new QTimer(&window);
            QObject::connect(timer, &QTimer::timeout, &window, [&window, list, &rowsSeen, &label] {
                if (list->topLevelItemCount() == 0)
                    return;
                rowsSeen = list->topLevelItemCount();
                label = window.findChild<QLabel*>(QString::fromUtf8("标签1"))->text();
                window.close();
            });
            timer->start(10);
        };
        QCOMPARE(StartProgram(setup), 0);
        QCOMPARE(rowsSeen,
                 static_cast<int>(site_->catalogue().Page(demo::Category::All, 1).size()));
        QCOMPARE(label, PageLabel(1));
    }

    void closingDuringAStalledLoadEndsWithinASecond() {
        site_->server().RouteFault("/newsubs?p=1", Fault::Stall,
                                   MakeResponse(200, "OK", {{"Content-Length", "100000"}}, ""));
        RecordingDesktop desktop;
        ProgramSetup setup = Setup(desktop);
        QElapsedTimer sinceClose;
        setup.onShown = [&](MainWindow& window) {
            QTimer::singleShot(300, &window, [&window, &sinceClose] {
                sinceClose.start();
                window.close();
            });
        };
        QCOMPARE(StartProgram(setup), 0);
        QVERIFY(sinceClose.isValid());
        QVERIFY2(sinceClose.elapsed() < 1000, qPrintable(QString::number(sinceClose.elapsed())));
    }
};

QTEST_MAIN(StartProgramTest)
#include "test_start_program.moc"

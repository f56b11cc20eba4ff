#pragma once
// A main window on the demo site, for the listing tests: the real window and loader, a recording
// desktop, the site's CA trusted by the transport.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "app/main_window.h"
#include "app/start_program.h"
#include "demo_site.h"
#include "platform/transport_settings.h"
#include "text/codepage.h"
#include "ui/browser/category_box.h"
#include "ui/browser/listing_loader.h"
#include "ui/common/recording_desktop.h"
#include "ui/common/shared_state.h"

namespace varneth::testing {

inline void TrustSite(const demo::DemoSite& site) {
    platform::TransportSettings settings = platform::CurrentTransportSettings();
    settings.extraCaPem = site.caPem();
    platform::SetTransportSettings(settings);
}

class WindowOnSite {
  public:
    explicit WindowOnSite(demo::DemoSite& site) {
        ProgramSetup setup;
        const Text host(site.hostPort());
        setup.addresses = SiteAddresses::ForHost(host, host);
        PrepareSharedState(state, setup, desktop);
        window = std::make_unique<MainWindow>(state);
    }
    ~WindowOnSite() {
        window.reset();
        CleanUpAtExit(state);
    }

    template <typename T>
    T* Find(const char* name) const {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    QTreeWidget* list() const { return Find<QTreeWidget>("超级列表框1"); }
    QLabel* label() const { return Find<QLabel>("标签1"); }
    QPushButton* next() const { return Find<QPushButton>("按钮_下一页"); }
    QPushButton* previous() const { return Find<QPushButton>("按钮_上一页"); }
    CategoryBox* categories() const { return Find<CategoryBox>("组合框1"); }

    // Waits until every started load has come back to the window.
    [[nodiscard]] bool WaitForLoads(int ms = 10000) const {
        return QTest::qWaitFor([this] { return window->loader().PendingLoads() == 0; }, ms);
    }

    // Chooses a category entry as the user does: the list opens, an entry is confirmed, the
    // list closes.
    void ChooseCategory(int entry) {
        CategoryBox* box = categories();
        box->showPopup();
        box->setCurrentIndex(entry);
        box->hidePopup();
        emit box->activated(entry);
    }

    RecordingDesktop desktop;
    SharedState state;
    std::unique_ptr<MainWindow> window;
};

inline QString PageLabel(int page) {
    return QString::fromUtf8("第  %1  页").arg(page);
}

// Empty when the list and ListMatcher hold exactly `rows`, in order; otherwise what differs.
inline QString DifferenceFromRows(const WindowOnSite& w,
                                  const std::vector<const demo::Subtitle*>& rows) {
    QTreeWidget* list = w.list();
    if (list->topLevelItemCount() != static_cast<int>(rows.size()))
        return QString("list has %1 rows, expected %2")
            .arg(list->topLevelItemCount())
            .arg(rows.size());
    if (!w.state.ListMatcher || w.state.ListMatcher->MatchCount() != static_cast<int>(rows.size()))
        return "ListMatcher does not hold the page's matches";
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        const QString path = QString("/detail/%1.html").arg(rows[i]->id);
        const QString expected[4] = {path, QString::number(i + 1),
                                     QString::fromStdString(rows[i]->title),
                                     QString::fromStdString(rows[i]->uploaded)};
        for (int column = 0; column < 4; ++column) {
            if (item->text(column) != expected[column])
                return QString("row %1 column %2: '%3', expected '%4'")
                    .arg(i)
                    .arg(column)
                    .arg(item->text(column), expected[column]);
        }
        if (QString::fromStdString(LocalToUtf8(w.state.ListMatcher->SubmatchText(i + 1, 1))) !=
            path)
            return QString("match %1 of ListMatcher is not row %2's path").arg(i + 1).arg(i);
    }
    return {};
}

}  // namespace varneth::testing

#include "ui/download/download_window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeWidget>

#include "matcher/pattern_matcher.h"
#include "text/codepage.h"
#include "ui/common/desktop.h"
#include "ui/common/shared_state.h"
#include "ui/download/hyperlink_label.h"
#include "ui/download/location_header.h"
#include "web/fetch_text.h"
#include "web/text_between.h"

namespace varneth {

namespace {

// The subtitle page names its download page in this anchor.
const char* const kDownloadPageStart = "<a id=\"down1\" href=\"";
const char* const kDownloadPageEnd = "\"";
// One list item of the download page per link; group 1 is the link's address.
const char* const kDownloadLinkPattern =
    "<li><a rel=\"nofollow\" href=\"(.*?)\" class=(.*?)</span>(.*?)</a></li>";

struct LinkPlace {
    int left;
    int top;
};
// Two columns of three, numbered row by row from the top.
constexpr std::array<LinkPlace, DownloadWindow::kLinkCount> kLinkPlaces{
    {{24, 24}, {133, 24}, {24, 59}, {133, 59}, {24, 96}, {133, 96}}};
constexpr QSize kLinkSize{72, 16};

// The fetches below block the GUI thread; the wait cursor at least says so.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

Text LinkTarget(const PatternMatcher* matcher, int matchIndex) {
    return matcher ? matcher->SubmatchText(matchIndex, 1) : Text();
}

}  // namespace

void OpenDownloadWindow(QTreeWidget* list, SharedState& state) {
    int firstSelected = -1;
    for (QTreeWidgetItem* item : list->selectedItems()) {
        const int index = list->indexOfTopLevelItem(item);
        if (index >= 0 && (firstSelected < 0 || index < firstSelected))
            firstSelected = index;
    }
    state.SelectedRow = firstSelected + 1;

    DownloadWindow window(state);  // no parent: a window of its own, modal to the whole program
    window.exec();
}

DownloadWindow::DownloadWindow(SharedState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      state_(state) {
    setWindowTitle(QStringLiteral("字幕下载页面"));
    setWindowModality(Qt::ApplicationModal);
    // Qt sizes the client area, and the window manager's frame is known only once the window is
    // on screen. Until then the client area takes the whole designed outer size (also where no
    // frame exists: offscreen, or an X server without a window manager); FitOuterSizeToFrame
    // then takes the frame off, so the outer size is the designed one wherever a frame exists.
    setFixedSize(kOuterSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - kOuterSize.width()) / 2,
             area.top() + (area.height() - kOuterSize.height()) / 2);
    }

    for (int i = 0; i < kLinkCount; ++i) {
        auto* label = new HyperlinkLabel(QStringLiteral("下载地址%1").arg(i + 1), this);
        label->setObjectName(QStringLiteral("超级链接框%1").arg(i + 1));
        label->setGeometry(QRect(QPoint(kLinkPlaces[i].left, kLinkPlaces[i].top), kLinkSize));
        connect(label, &HyperlinkLabel::pressed, this,
                [this, label] { ResolveDownloadLink(label); });
        links_[i] = label;
    }

    // The targets are loaded here, once the labels exist and before the window is shown, so no
    // press can reach a label before its target is set; the window appears already filled.
    LoadDownloadLinks();
}

HyperlinkLabel* DownloadWindow::link(int number) const {
    return number >= 1 && number <= kLinkCount ? links_[number - 1] : nullptr;
}

void DownloadWindow::LoadDownloadLinks() {
    BusyCursor busy;
    const Text path =
        state_.ListMatcher ? state_.ListMatcher->SubmatchText(state_.SelectedRow, 1) : Text();
    const Text page = FetchText(state_.addresses.siteBase + path);
    state_.DownloadPageUrl = TextBetween(page, kDownloadPageStart, kDownloadPageEnd);
    const Text downloadPage = FetchText(state_.DownloadPageUrl);
    if (state_.LinkMatcher)
        state_.LinkMatcher->Search(kDownloadLinkPattern, downloadPage);
    for (int i = 0; i < kLinkCount; ++i) {
        links_[i]->setTarget(LinkTarget(state_.LinkMatcher.get(), i + 1));
    }
}

void DownloadWindow::ResolveDownloadLink(HyperlinkLabel* label) {
    // The target is used up before the request and never comes back while the window is open.
    const Text target = label->takeTarget();
    Text headers =
        Text("Host: ") + state_.addresses.downloadHost + "\r\nReferer: " + state_.DownloadPageUrl;
    Text returnedHeaders;
    {
        BusyCursor busy;
        // The download server answers with a redirect to the file; it is not followed.
        FetchText(target, 0, {}, nullptr, nullptr, &headers, &returnedHeaders, true);
    }
    const Text location = LocationHeaderValue(returnedHeaders);
    if (!state_.desktop)
        return;
    if (!location.empty()) {
        state_.desktop->StartDownloadDialog(location);
    } else {
        state_.desktop->ShowMessage(Local("获取下载链接失败，请尝试其它链接或重新打开下载页面"),
                                    Local("信息："));
    }
}

void DownloadWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitOuterSizeToFrame();
}

void DownloadWindow::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    FitOuterSizeToFrame();  // a window manager reports its frame by moving the window into it
}

void DownloadWindow::FitOuterSizeToFrame() {
    if (fittedToFrame_ || !isVisible())
        return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;  // no frame known (yet)
    fittedToFrame_ = true;
    setFixedSize(kOuterSize - frame);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - kOuterSize.width()) / 2,
             area.top() + (area.height() - kOuterSize.height()) / 2);
    }
}

}  // namespace varneth

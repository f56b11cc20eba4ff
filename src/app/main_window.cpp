#include "app/main_window.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <algorithm>

#include "app/design_fonts.h"
#include "ui/browser/category_box.h"
#include "ui/browser/listing_controls.h"
#include "ui/browser/listing_loader.h"
#include "ui/browser/listing_view_look.h"
#include "ui/common/shared_state.h"
#if VARNETH_HAVE_SEARCH_BOX
#include "ui/browser/search_box.h"
#endif
#if VARNETH_HAVE_LINK_ACTIONS
#include "ui/browser/link_actions.h"
#endif
#if VARNETH_HAVE_DOWNLOAD_WINDOW
#include "ui/download/download_window.h"
#endif

namespace varneth {

namespace {

constexpr int kDesignedWidth = 560;
constexpr int kDesignedHeight = 820;
// Taken off the list, the window and the row of controls below the list once the window exists.
constexpr int kHeightCut = 300;

// The designed place of each control in the client area: left, top, width, height.
constexpr QRect kCategoriesRect{452, 728, 84, 20};
constexpr QRect kSearchEditRect{40, 758, 402, 24};
constexpr QRect kSearchButtonRect{454, 758, 75, 24};
constexpr QRect kPageLabelRect{196, 721, 97, 28};
constexpr QRect kNextPageRect{329, 719, 104, 32};
constexpr QRect kPreviousPageRect{48, 719, 104, 32};
constexpr QRect kListRect{8, 0, 554, 713};

const QColor kHintGrey(192, 192, 192);

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Centred on the primary screen at the designed size, halves truncated toward zero. A screen
// lower than the design would put the title bar above the screen's top edge, out of reach of
// the mouse; the window is kept inside the screen's usable area there.
QPoint DesignedTopLeft() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {0, 0};
    const QRect whole = screen->geometry();
    const QRect usable = screen->availableGeometry();
    const int left = whole.x() + (whole.width() - kDesignedWidth) / 2;
    const int top = whole.y() + (whole.height() - kDesignedHeight) / 2;
    return {std::max(left, usable.left()), std::max(top, usable.top())};
}

template <typename Widget>
Widget* Place(Widget* widget, const char* designName, const QRect& rect) {
    widget->setObjectName(U(designName));
    widget->setGeometry(rect);
    return widget;
}

void MoveUp(QWidget* widget, int pixels) {
    widget->move(widget->x(), widget->y() - pixels);
}

}  // namespace

MainWindow::MainWindow(SharedState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      state_(state) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Varneth"));
    // Qt places the client area; the frame belongs to the window manager, so the design's outer
    // size is given to the client area. A fixed size is the single border the user cannot drag.
    setFixedSize(kDesignedWidth, kDesignedHeight);
    move(DesignedTopLeft());
    BuildControls();
    ConnectBehaviour();
}

MainWindow::~MainWindow() {
    StopListingLoads();
}

void MainWindow::StopListingLoads() {
    if (loader_)
        loader_->StopAllLoads();
}

void MainWindow::BuildControls() {
    categories_ = Place(new CategoryBox(this), "组合框1", kCategoriesRect);
    categories_->setEditable(false);
    categories_->addItems({U("全部字幕"), U("电影字幕"), U("美剧字幕")});
    categories_->setCurrentIndex(0);

    searchEdit_ = Place(new QLineEdit(this), "编辑框1", kSearchEditRect);
    // The hint is real text in grey: its colour is what tells the search box that the box
    // holds no search text yet.
    QPalette editPalette = searchEdit_->palette();
    editPalette.setColor(QPalette::Text, kHintGrey);
    editPalette.setColor(QPalette::Base, Qt::white);
    searchEdit_->setPalette(editPalette);
    searchEdit_->setText(U("输入要搜索的字幕名称"));

    searchButton_ = Place(new QPushButton(U("搜索字幕"), this), "按钮_搜索", kSearchButtonRect);
    searchButton_->setFont(DesignFont(kFontYaHei, 14));

    pageLabel_ = Place(new QLabel(this), "标签1", kPageLabelRect);
    pageLabel_->setTextFormat(Qt::PlainText);
    pageLabel_->setFont(DesignFont(kFontYaHei, 14));
    pageLabel_->setFocusPolicy(Qt::NoFocus);

    nextPage_ = Place(new QPushButton(U("下一页"), this), "按钮_下一页", kNextPageRect);
    nextPage_->setFont(DesignFont(kFontNewSong, 14, true));
    previousPage_ = Place(new QPushButton(U("上一页"), this), "按钮_上一页", kPreviousPageRect);
    previousPage_->setFont(DesignFont(kFontNewSong, 14, true));
    previousPage_->setEnabled(false);

    list_ = Place(new QTreeWidget(this), "超级列表框1", kListRect);
    list_->setFont(DesignFont(kFontKai, 19));
    list_->setColumnCount(4);
    list_->setHeaderLabels({QString(), QString(), U("字幕名称"), U("上传时间")});
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setIndentation(0);
    list_->setUniformRowHeights(true);
    list_->setSortingEnabled(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = list_->header();
    header->setSectionsClickable(false);  // a header click does nothing, nothing sorts
    header->setSortIndicatorShown(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    header->setDefaultAlignment(Qt::AlignCenter);
    list_->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    // Column 0 holds the page path for the program only: zero width, never shown.
    list_->setColumnWidth(0, 0);
    list_->setColumnHidden(0, true);
    list_->setColumnWidth(1, 40);
    list_->setColumnWidth(2, 400);
    list_->setColumnWidth(3, 93);
    ApplyListLook(list_, {QColor(0, 255, 255), QColor(0, 96, 192), QColor(192, 192, 192),
                          QColor(128, 160, 208)});

    // Every control but the label takes the focus by click and by Tab, in the design's order.
    for (QWidget* w : std::initializer_list<QWidget*>{categories_, searchEdit_, searchButton_,
                                                      nextPage_, previousPage_, list_})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(categories_, searchEdit_);
    setTabOrder(searchEdit_, searchButton_);
    setTabOrder(searchButton_, nextPage_);
    setTabOrder(nextPage_, previousPage_);
    setTabOrder(previousPage_, list_);

    // The menu is never part of a menu bar; it only ever pops up as the list's right-click menu.
    linkMenu_ = new QMenu(U("打开链接"), this);
    linkMenu_->setObjectName(U("打开链接"));
    linkMenu_->addAction(U("打开Lumora链接"));
    linkMenu_->addAction(U("打开片源链接"));
    linkMenu_->addAction(U("打开豆瓣链接"));
}

void MainWindow::ConnectBehaviour() {
    loader_ = new ListingLoader(list_, pageLabel_, previousPage_, state_, this);
    listingControls_ =
        new ListingControls(categories_, nextPage_, previousPage_, list_, *loader_, state_, this);
#if VARNETH_HAVE_SEARCH_BOX
    searchBox_ = new SearchBox(searchEdit_, searchButton_, state_, this);
#endif
#if VARNETH_HAVE_LINK_ACTIONS
    linkActions_ = new LinkActions(list_, linkMenu_, state_, this);
#endif
#if VARNETH_HAVE_DOWNLOAD_WINDOW
    // A double-click activates a row (the list's style never activates on a single click).
    // Enter on the current row activates it too, as a keyboard way to the download window.
    connect(list_, &QTreeWidget::itemActivated, this,
            [this] { OpenDownloadWindow(list_, state_); });
#endif
}

void MainWindow::OnMainWindowCreated() {
    state_.ListBaseUrl = CategoryAddress(state_.addresses.siteBase, 0);
    state_.CurrentPage = kFirstPage;
    // Each value is read from the control and written back shorter.
    list_->resize(list_->width(), list_->height() - kHeightCut);
    setFixedSize(width(), height() - kHeightCut);
    for (QWidget* w : std::initializer_list<QWidget*>{searchButton_, nextPage_, previousPage_,
                                                      searchEdit_, categories_, pageLabel_})
        MoveUp(w, kHeightCut);
    loader_->StartListingLoad(state_.CurrentPage);
}

}  // namespace varneth

#pragma once
// The main window: the design of its controls, the layout change once it exists and the first
// listing load. What the controls do is in ui/browser and ui/download.
#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace varneth {

class CategoryBox;
class LinkActions;
class ListingControls;
class ListingLoader;
class SearchBox;
struct SharedState;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // Builds the window and its controls from the design, centred on the screen at the designed
    // size. The creation-finished handler has not run yet.
    explicit MainWindow(SharedState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The creation-finished handler: the all-subtitles listing at page 1, the layout 300 pixels
    // shorter, and the first load started.
    void OnMainWindowCreated();

    // Cancels and joins the running listing loads (program end).
    void StopListingLoads();

    ListingLoader& loader() { return *loader_; }

  private:
    void BuildControls();
    void ConnectBehaviour();

    SharedState& state_;
    CategoryBox* categories_ = nullptr;    // 组合框1
    QLineEdit* searchEdit_ = nullptr;      // 编辑框1
    QPushButton* searchButton_ = nullptr;  // 按钮_搜索
    QLabel* pageLabel_ = nullptr;          // 标签1
    QPushButton* nextPage_ = nullptr;      // 按钮_下一页
    QPushButton* previousPage_ = nullptr;  // 按钮_上一页
    QTreeWidget* list_ = nullptr;          // 超级列表框1
    QMenu* linkMenu_ = nullptr;            // 打开链接 (hidden; the list's right-click menu)

    ListingLoader* loader_ = nullptr;
    ListingControls* listingControls_ = nullptr;
    SearchBox* searchBox_ = nullptr;
    LinkActions* linkActions_ = nullptr;
};

}  // namespace varneth

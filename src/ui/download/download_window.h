#pragma once
// The modal six-link download window opened by a double-click on a list row.
#include <array>

#include <QDialog>

class QTreeWidget;

namespace varneth {

struct SharedState;
class HyperlinkLabel;

// Records the activated row in SelectedRow and runs a new DownloadWindow modally; returns when
// the user has closed it.
void OpenDownloadWindow(QTreeWidget* list, SharedState& state);

class DownloadWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kLinkCount = 6;
    static constexpr QSize kOuterSize{235, 162};

    // Lays out the six labels and loads their targets before returning (see the constructor).
    explicit DownloadWindow(SharedState& state, QWidget* parent = nullptr);

    [[nodiscard]] HyperlinkLabel* link(int number) const;  // 1 to 6

    // Follows the selected row's page to its download page and gives the labels their targets.
    void LoadDownloadLinks();
    // Asks the download server for the pressed label's file and hands its address on.
    void ResolveDownloadLink(HyperlinkLabel* label);

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void FitOuterSizeToFrame();

    SharedState& state_;
    std::array<HyperlinkLabel*, kLinkCount> links_{};
    bool fittedToFrame_ = false;
};

}  // namespace varneth

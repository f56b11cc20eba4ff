#pragma once
// The category drop-down: a plain combo box that also tells when its list has closed, whether an
// entry was chosen, the user pressed Escape or clicked elsewhere.
#include <QComboBox>

namespace varneth {

class CategoryBox : public QComboBox {
    Q_OBJECT
  public:
    explicit CategoryBox(QWidget* parent = nullptr);

    void showPopup() override;

  signals:
    void listClosed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* watchedPopup_ = nullptr;
};

}  // namespace varneth

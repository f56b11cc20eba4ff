#pragma once
// The search box below the list: a grey hint while empty and unfocused, and Enter or the button
// opening Lumora's search for the typed name in the browser.
#include <QObject>

class QLineEdit;
class QPushButton;

namespace varneth {

struct SharedState;

class SearchBox : public QObject {
    Q_OBJECT
public:
    // Installs itself on `edit` (focus and key events) and on `button` (clicked).
    SearchBox(QLineEdit* edit, QPushButton* button, SharedState& state, QObject* parent = nullptr);

    void OnSearchBoxGotFocus();
    void OnSearchBoxLostFocus();
    void OnSearchBoxKeyDown(int key);
    void OnSearchClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    SharedState& state_;
};

}  // namespace varneth

#pragma once
// The search box below the list: a grey hint while empty and unfocused, and Enter or the button
// opening Lumora's search for the typed name in the browser.
#include <QObject>

class QLineEdit;
class QPushButton;
class QString;

namespace varneth {

struct SharedState;

// The hint the box shows while it holds no search text (UTF-8 source literal).
inline constexpr char kSearchPlaceholderUtf8[] = "输入要搜索的字幕名称";
// The hint's text colour (red, green and blue 192); typed text is black. The grey colour is also
// the mark that the box holds no real search text.
inline constexpr unsigned kSearchHintRgb = 0xC0C0C0;
inline constexpr unsigned kSearchTextRgb = 0x000000;

class SearchBox : public QObject {
    Q_OBJECT
  public:
    // Installs itself on `edit` (focus and key events) and on `button` (clicked).
    SearchBox(QLineEdit* edit, QPushButton* button, SharedState& state, QObject* parent = nullptr);

    void OnSearchBoxGotFocus();
    void OnSearchBoxLostFocus();
    // `key` is the virtual-key code: 13 is Enter.
    void OnSearchBoxKeyDown(int key);
    void OnSearchClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool ShowsHintColour() const;
    void SetTextAndColour(const QString& text, unsigned rgb);

    QLineEdit* edit_;
    SharedState& state_;
};

}  // namespace varneth

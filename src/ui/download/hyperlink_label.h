#pragma once
// A label that looks like a web link and carries a target address. It never opens anything by
// itself: a left-button press only emits pressed(), and the window decides what the press means.
#include <QLabel>

#include "text/text.h"

namespace varneth {

class HyperlinkLabel : public QLabel {
    Q_OBJECT
  public:
    // filled: a target is set; empty: never given one; spent: its target was used up by a press.
    enum class State { Empty, Filled, Spent };

    explicit HyperlinkLabel(const QString& caption, QWidget* parent = nullptr);

    [[nodiscard]] const Text& target() const { return target_; }
    void setTarget(const Text& target);
    // Hands the target out and leaves the label spent for good (until its window closes).
    Text takeTarget();
    [[nodiscard]] State state() const { return state_; }

  signals:
    void pressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    // The second press of a double-click arrives as this event. QWidget's default would turn it
    // into another press; a double-click must resolve its link once, so it is dropped here.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Text target_;
    State state_ = State::Empty;
};

}  // namespace varneth

// The yardstick for the start-up benchmark: the least a Qt Widgets program does to show one
// window with a label in the design's Chinese font.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include "startup_probe.h"

namespace {
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            varneth::bench::Report("shown_ns", varneth::bench::MonotonicNs());
            QTimer::singleShot(0, qApp, [] {
                varneth::bench::Report("peak_kb", varneth::bench::PeakMemoryKb());
                QApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QFont::insertSubstitution(QString::fromUtf8("楷体"), "AR PL UKai CN");
    QLabel label(QString::fromUtf8("第七信号 The Seventh Signal 中英双语"));
    QFont font(QString::fromUtf8("楷体"));
    font.setPixelSize(19);
    label.setFont(font);
    label.resize(560, 520);
    FirstPaint probe;
    label.installEventFilter(&probe);
    label.show();
    return app.exec();
}

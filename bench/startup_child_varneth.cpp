// The program as the start-up benchmark runs it: the real start-up code against a demo site that
// the benchmark serves from its own process (so the site's set-up is not counted here).
// Arguments: the site's host:port and a file holding the site's CA.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/start_program.h"
#include "platform/transport_settings.h"
#include "startup_probe.h"
#include "text/text.h"

namespace {
using varneth::bench::MonotonicNs;
using varneth::bench::Report;

class Probe : public QObject {
  public:
    Probe(QWidget* window, QTreeWidget* list) : window_(window), list_(list) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (watched == window_ && !shown_) {
                shown_ = true;
                Report("shown_ns", MonotonicNs());
            }
            if (watched == list_->viewport() && !rows_ && list_->topLevelItemCount() > 0) {
                rows_ = true;
                Report("rows_ns", MonotonicNs());
                QTimer::singleShot(0, window_, [this] {
                    Report("peak_kb", varneth::bench::PeakMemoryKb());
                    window_->close();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* window_;
    QTreeWidget* list_;
    bool shown_ = false, rows_ = false;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QFile ca(QString::fromLocal8Bit(argv[2]));
    if (!ca.open(QIODevice::ReadOnly))
        return 2;
    varneth::platform::TransportSettings transport = varneth::platform::CurrentTransportSettings();
    transport.extraCaPem = ca.readAll().toStdString();
    varneth::platform::SetTransportSettings(transport);

    varneth::ProgramSetup setup;
    const varneth::Text host(argv[1]);
    setup.addresses = varneth::SiteAddresses::ForHost(host, host);
    std::unique_ptr<Probe> probe;
    setup.onShown = [&probe](varneth::MainWindow& window) {
        auto* list = window.findChild<QTreeWidget*>(QString::fromUtf8("超级列表框1"));
        probe = std::make_unique<Probe>(&window, list);
        window.installEventFilter(probe.get());
        list->viewport()->installEventFilter(probe.get());
    };
    return varneth::StartProgram(setup);
}

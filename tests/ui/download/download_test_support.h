#pragma once
// Small helpers shared by the download tests: a loopback site trusted by the transport, and a
// wait for the modal window a real dialog opens.
#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include "platform/transport_settings.h"
#include "support/loopback_server.h"

namespace varneth::testing {

// A loopback server whose CA the transport trusts while the object lives.
class TrustedServer {
  public:
    TrustedServer() {
        platform::TransportSettings settings;
        settings.extraCaPem = server.caPem();
        settings.connectTimeoutMs = 5000;
        settings.lowSpeedTimeSeconds = 10;
        platform::SetTransportSettings(settings);
    }
    ~TrustedServer() { platform::SetTransportSettings({}); }
    TrustedServer(const TrustedServer&) = delete;
    TrustedServer& operator=(const TrustedServer&) = delete;

    std::string Address(const std::string& target, bool https = true) const {
        return (https ? "https://" : "http://") + server.hostPort() + target;
    }

    LoopbackServer server;
};

// Calls `act` with the first modal widget of type T once one is on screen (polling, because
// the dialog is opened by code that does not return until it is closed).
template <typename T>
void WhenModalAppears(std::function<void(T*)> act, int timeoutMs = 10000) {
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, waited, timeoutMs] {
        *waited += 20;
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        } else if (*waited > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

}  // namespace varneth::testing

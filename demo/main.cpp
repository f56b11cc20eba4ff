// varneth-demo: the program itself, pointed at the bundled offline copy of the site that this
// process serves on loopback.
#include <QApplication>
#include <cstdio>

#include "app/start_program.h"
#include "demo_site.h"
#include "platform/transport_settings.h"
#include "text/text.h"

int main(int argc, char** argv) {
    (void)argc;
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Varneth"));
    QGuiApplication::setDesktopFileName(QStringLiteral("varneth"));

    varneth::demo::DemoSite site;  // outlives the program below: its loads are joined first
    // The site's certificate is signed by the demo's own CA, trusted by this process only.
    varneth::platform::TransportSettings transport = varneth::platform::CurrentTransportSettings();
    transport.extraCaPem = site.caPem();
    varneth::platform::SetTransportSettings(transport);
    std::printf("Varneth demo: the offline site is served at https://%s/ and http://%s/\n",
                site.hostPort().c_str(), site.hostPort().c_str());
    std::fflush(stdout);

    varneth::ProgramSetup setup;
    const varneth::Text host(site.hostPort());
    setup.addresses = varneth::SiteAddresses::ForHost(host, host);
    return varneth::StartProgram(setup);
}

#include "app/start_program.h"

#include <QApplication>
#include <memory>

#include "app/design_fonts.h"
#include "app/main_window.h"
#include "app/qt_desktop.h"
#include "ui/common/shared_state.h"

namespace varneth {

namespace {

// Runs CleanUpAtExit when StartProgram ends, whichever way it ends.
class CleanUpRegistration {
  public:
    explicit CleanUpRegistration(SharedState& state) : state_(state) {}
    ~CleanUpRegistration() { CleanUpAtExit(state_); }
    CleanUpRegistration(const CleanUpRegistration&) = delete;
    CleanUpRegistration& operator=(const CleanUpRegistration&) = delete;

  private:
    SharedState& state_;
};

}  // namespace

void PrepareSharedState(SharedState& state, const ProgramSetup& setup, Desktop& desktop) {
    state.ListMatcher = std::make_unique<PatternMatcher>();
    state.LinkMatcher = std::make_unique<PatternMatcher>();
    state.addresses = setup.addresses;
    state.desktop = &desktop;
}

void CleanUpAtExit(SharedState& state) {
    state.ListBaseUrl = Text();
    state.ListMatcher.reset();
    state.DownloadPageUrl = Text();
    state.LinkMatcher.reset();
}

int StartProgram(const ProgramSetup& setup) {
    RegisterDesignFontSubstitutions();
    QtDesktop realDesktop;
    SharedState state;
    PrepareSharedState(state, setup, setup.desktop ? *setup.desktop : realDesktop);
    CleanUpRegistration cleanUp(state);  // runs after the window below is gone

    auto window = std::make_unique<MainWindow>(state);
    window->OnMainWindowCreated();
    window->show();
    if (setup.onShown)
        setup.onShown(*window);
    QApplication::exec();
    // The loads still running are cancelled and joined before the shared state goes away.
    window->StopListingLoads();
    window.reset();
    return 0;
}

int StartProgram() {
    return StartProgram(ProgramSetup{});
}

}  // namespace varneth

#pragma once
// Start and end of the program.
#include <functional>

#include "ui/common/site_addresses.h"

namespace varneth {

class Desktop;
class MainWindow;
struct SharedState;

// What differs between the program, its demo and the tests: where the site is and how things
// are handed to the desktop.
struct ProgramSetup {
    SiteAddresses addresses = SiteAddresses::BuiltIn();
    Desktop* desktop = nullptr;  // null: the real desktop
    // Called once the main window is shown (tests and the start-up benchmark watch it).
    std::function<void(MainWindow&)> onShown;
};

// The shared state as it is before the first window: both matchers constructed, nothing
// searched, every text empty and every number 0.
void PrepareSharedState(SharedState& state, const ProgramSetup& setup, Desktop& desktop);

// Releases the shared texts and destroys both matchers. Runs once, at the end of StartProgram.
void CleanUpAtExit(SharedState& state);

// Builds the shared state, shows the main window and runs the message loop until the window has
// been closed; then stops the running loads and cleans up. Needs a QApplication. Returns 0.
int StartProgram(const ProgramSetup& setup);
int StartProgram();

}  // namespace varneth

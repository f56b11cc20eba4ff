#pragma once
// The modal six-link download window opened by a double-click on a list row.
class QTreeWidget;

namespace varneth {

struct SharedState;

// Records the activated row in SelectedRow and runs a new DownloadWindow modally; returns when
// the user has closed it.
void OpenDownloadWindow(QTreeWidget* list, SharedState& state);

}  // namespace varneth

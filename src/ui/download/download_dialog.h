#pragma once
// The download dialog: asks where to save the file at `address`, then streams it there on a
// worker behind a progress dialog with a cancel button. Returns when the transfer has ended.
#include "text/text.h"

namespace varneth {

void RunDownloadDialog(const Text& address);

}  // namespace varneth

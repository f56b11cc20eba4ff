#pragma once
// Reading the file's real address out of the download server's redirect.
#include "text/text.h"

namespace varneth {

// The value of the first header line named Location in a raw header block (status line first,
// lines ended by CR LF). The name must start its line and is compared without regard to ASCII
// case ("location:" counts, "Content-Location:" does not); the value runs to the end of the line
// with the spaces and tabs around it trimmed. Empty when there is no such line.
Text LocationHeaderValue(const Text& rawHeaders);

}  // namespace varneth

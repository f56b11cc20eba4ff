#!/usr/bin/env bash
# Sets everything up, builds the program and runs it on its bundled offline demo site (a copy of
# the site served by the program's own process on loopback; nothing goes to the Internet).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target varneth-demo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "varneth-demo needs a graphical session (DISPLAY or WAYLAND_DISPLAY is not set)." >&2
    echo "Without one, try: xvfb-run -a build/demo/varneth-demo" >&2
    exit 1
fi
exec build/demo/varneth-demo

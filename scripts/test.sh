#!/usr/bin/env bash
# Sets everything up and runs every test: a normal build, AddressSanitizer with UBSan, the threaded
# tests under ThreadSanitizer, and each fuzz target for a short bounded time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$top/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="suppressions=$top/tests/sanitizers/tsan.supp:halt_on_error=1:second_deadlock_stack=1"

configure_build() {  # dir, extra cmake args...
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

echo "== normal build"
configure_build build -DVARNETH_BUILD_BENCH=ON
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
configure_build build-asan "-DVARNETH_SANITIZE=address;undefined"
ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

echo "== ThreadSanitizer (threaded tests)"
configure_build build-tsan -DVARNETH_SANITIZE=thread
ctest --test-dir build-tsan --output-on-failure -j "$jobs" --timeout 600 -L threaded

echo "== fuzz targets"
CXX=clang++ configure_build build-fuzz -DVARNETH_WITH_GUI=OFF -DVARNETH_BUILD_TESTS=OFF \
    -DVARNETH_BUILD_FUZZ=ON "-DVARNETH_SANITIZE=address;undefined"
seconds=${VARNETH_FUZZ_SECONDS:-20}
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    echo "-- $name (${seconds}s)"
    "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=0 \
        "$corpus" 2>"build-fuzz/$name.log" || { tail -50 "build-fuzz/$name.log"; exit 1; }
done
echo "all tests passed"

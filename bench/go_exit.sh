#!/usr/bin/env bash
# The long form of the "Exit during Go" test: 1,000 launches, each ended by
# "Exit" or the close box while its message box is up, in a plain build and in a
# build under AddressSanitizer and UndefinedBehaviorSanitizer (where any
# finding aborts the run). Usage: bench/go_exit.sh [RUNS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000}

"$top/scripts/deps"
# The build folders of scripts/test, configured the same way, so that one
# build serves both.
for flavour in plain sanitized; do
    build="$top/build-test"
    sanitize=OFF
    if [ "$flavour" = sanitized ]; then
        build="$top/build-asan"
        sanitize=ON
    fi
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_WERROR=ON \
        -DTARN_SANITIZE="$sanitize" >/dev/null
    cmake --build "$build" -j"$(nproc)" --target test_launch >/dev/null
    store=$(mktemp -d)
    # The test copies the server programs from the build, as under CTest.
    TARN_GO_EXIT_RUNS=$runs QT_QPA_PLATFORM=offscreen TARNSTARTER_REGISTRY="$store/registry.db" \
        TARN_TOOLS_DIR="$build/tools" \
        ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$build/tests/launch/test_launch" exitOrCloseAtAnyMomentOfGo
    rm -rf "$store"
    echo "go_exit: $runs runs passed ($flavour)"
done

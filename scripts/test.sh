#!/usr/bin/env bash
# Installs what is missing, builds Lumaru with its tests and runs every one of them:
# the core and window tests, the core tests again under the address and undefined-behaviour
# sanitizers, the loader's fuzzer for a bounded time, and the loader tests under wine.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test || exit 1
jobs=$(nproc)
failed=()
step() {
    local name=$1
    shift
    echo "=== $name"
    if ! "$@"; then
        failed+=("$name")
    fi
}

[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMARU_WERROR=ON >/dev/null &&
    ninja -C build/test -j"$jobs" || exit 1
step "core and window tests" ctest --test-dir build/test -j"$jobs" --output-on-failure --timeout 180

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLUMARU_GUI=OFF -DLUMARU_SANITIZE=ON \
    >/dev/null && ninja -C build/asan -j"$jobs" || exit 1
step "core tests under the sanitizers" \
    env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -j"$jobs" --output-on-failure --timeout 300

[[ -f scripts/fuzz-loader.sh ]] && step "loader fuzzer" bash scripts/fuzz-loader.sh
[[ -f scripts/test-loader-wine.sh ]] && step "loader under wine" bash scripts/test-loader-wine.sh

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All test steps passed."

#!/usr/bin/env bash
# Takes a screenshot of the main window in each of the four skins, under a virtual X display.
#   scripts/screenshot-skins.sh [build directory]
# Without a build directory it configures and builds build-screenshots. Writes
# screenshots/skin-1.png .. skin-4.png (the main window with its top bar and side panel out) and
# screenshots/skin-1-controls.png .. skin-4-controls.png (one of each kind of control).
# Needs xvfb and xauth (scripts/install-deps.sh test).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build-screenshots}
out=$repo/screenshots

if [[ ! -f $build/build.ninja ]]; then
    cmake -S "$repo" -B "$build" -G Ninja -DLUMARU_GUI=ON -DLUMARU_TESTS=ON
fi
cmake --build "$build" --target skin_preview -- -j2

mkdir -p "$out"
# The browser engine refuses to run as root with its sandbox on.
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-first-run"
for skin in 1 2 3 4; do
    xvfb-run -a -s "-screen 0 1280x800x24" "$build/tests/skin/skin_preview" "$skin" "$out"
done

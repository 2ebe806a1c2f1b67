#!/usr/bin/env bash
# Starts Lumaru on a virtual display, gets it past its start-up notice as a user would, and
# saves a picture of the main window.
#   screenshot.sh          the program against the real sites -> screenshots/main-window.png
#                          (offline, the notice window stays open: it is closed like a user would)
#   screenshot.sh --demo   the demo build and its server       -> screenshots/demo-main-window.png
#                          (the "已经是最新版本" message is answered with Return, and the main
#                          window must carry the demo page's caption)
# LUMARU_BUILD_DIR picks the build directory (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."

demo=false
[[ ${1:-} == --demo ]] && demo=true
build=${LUMARU_BUILD_DIR:-build/release}
xhelper=(/usr/bin/python3 scripts/x11-windows.py)

if ! command -v Xvfb >/dev/null || ! command -v import >/dev/null ||
    ! /usr/bin/python3 -c 'import Xlib' 2>/dev/null; then
    bash scripts/install-deps.sh test
fi
bash scripts/install-deps.sh run
[[ -f $build/build.ninja ]] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARU_TESTS=OFF >/dev/null
if $demo; then
    ninja -C "$build" lumaru-demo lumaru-demo-server
    program=$build/src/demo/lumaru-demo
    picture=screenshots/demo-main-window.png
else
    ninja -C "$build" lumaru
    program=$build/src/app/lumaru
    picture=screenshots/main-window.png
fi
mkdir -p screenshots

pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# A display of our own; Xvfb reports the number it took.
exec 4< <(Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp 2>/dev/null)
pids+=($!)
read -r -t 20 number <&4 || { echo "Xvfb did not start." >&2; exit 1; }
export DISPLAY=:$number

[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
if $demo; then
    "$build"/src/demo/lumaru-demo-server >/dev/null &
    pids+=($!)
    until (exec 3<>/dev/tcp/127.0.0.1/17878) 2>/dev/null; do sleep 0.1; done
fi
"$program" 2>screenshots/program.log &
pids+=($!)

# The first window of the program: online (the demo too) the up-to-date message, titled "信息：",
# whose OK button Return presses; offline the small untitled notice window, which stays open
# until it is closed. Either way the main window follows.
read -r first title < <("${xhelper[@]}" wait lumaru 50 30 60)
if [[ ${title:-} == "信息：" ]]; then
    "${xhelper[@]}" press "$first" Return
else
    "${xhelper[@]}" close "$first"
fi
read -r main caption < <("${xhelper[@]}" wait lumaru 900 400 60)
echo "Main window $main, caption: $caption"
# Without a window manager there is no title bar to see the caption in; check it here.
if $demo && [[ $caption != "Lumaru演示版" ]]; then
    echo "The main window does not carry the demo page's caption." >&2
    exit 1
fi
sleep "${LUMARU_SCREENSHOT_SETTLE:-4}"  # let the browsers paint
import -window "$main" "$picture"
echo "Saved $picture"

#!/usr/bin/env bash
# Installs what is missing, builds Lumaru and starts it.
#   run.sh          the program, against the real sites
#   run.sh --demo   the demo build, against a small server on this machine
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMARU_TESTS=OFF >/dev/null
target=lumaru
[[ ${1:-} == --demo ]] && target="lumaru-demo lumaru-demo-server"
ninja -C build/release $target

# The browser engine refuses to start as root with its sandbox on.
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "No display found: starting Lumaru on a virtual one (xvfb-run)." >&2
    wrap=(xvfb-run -a -s "-screen 0 1280x800x24")
else
    wrap=()
fi
if [[ ${1:-} == --demo ]]; then
    # The demo program finds its whole world on this server; it runs as long as the program.
    build/release/src/demo/lumaru-demo-server &
    server=$!
    trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
    until (exec 3<>/dev/tcp/127.0.0.1/17878) 2>/dev/null; do
        kill -0 "$server" 2>/dev/null || { echo "The demo server did not start." >&2; exit 1; }
        sleep 0.1
    done
    status=0
    "${wrap[@]}" build/release/src/demo/lumaru-demo || status=$?
    exit "$status"
fi
exec "${wrap[@]}" build/release/src/app/lumaru

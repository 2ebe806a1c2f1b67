#!/usr/bin/env bash
# Installs the Debian 12 packages Lumaru needs, where they are missing.
#   install-deps.sh run    what building and starting the program takes
#   install-deps.sh test   that, plus what every test and benchmark takes
set -euo pipefail

mode=${1:-run}
packages=(
    build-essential cmake ninja-build ccache pkg-config python3
    qt6-base-dev qt6-webengine-dev libgl-dev libxkbcommon-dev
    libcurl4-openssl-dev libpcre2-dev
    fonts-noto-cjk xvfb xauth
)
if [[ $mode == test ]]; then
    packages+=(
        libgtest-dev libgmock-dev libbenchmark-dev curl
        x11-utils imagemagick python3-xlib
        clang libclang-rt-14-dev
        g++-mingw-w64-i686 wine wine32:i386 wine64 qemu-user-static
    )
fi

as_root() {
    if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null

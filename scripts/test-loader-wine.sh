#!/usr/bin/env bash
# Cross-builds the in-memory loader and its tests for 32-bit Windows (mingw-w64) and runs them
# under wine, so that entry points, exports, import binding and CallAddress really execute:
#   - tests/skin/memory_module_test.cpp, the same loader tests as on Linux, over the GoogleTest
#     stand-in in tests/skin/wine/gtest/;
#   - tests/skin/wine/real_dll_checks.cpp, against DLLs built here by the same cross compiler.
# Prints PASS or FAIL and exits non-zero on failure. Headless: a console program needs no X.
#
#   scripts/test-loader-wine.sh [--build-only] [test name filter]
#   LUMARU_WINE_DIR=<dir>      build directory (default build-wine)
#   LUMARU_WINEPREFIX=<dir>    reuse this wine prefix instead of a fresh one under /tmp
#
# Needs g++-mingw-w64-i686 and wine32 (i386 architecture). Where the kernel cannot run 32-bit
# programs itself, wine32 runs through qemu-user (qemu-user-static with an i386 binfmt entry); see
# the message printed below.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${LUMARU_WINE_DIR:-$root/build-wine}
build_only=
if [ "${1:-}" = --build-only ]; then
    build_only=1
    shift
fi
filter=${1:-}
cc=i686-w64-mingw32-gcc
cxx=i686-w64-mingw32-g++
wine_tests=$root/tests/skin/wine
mkdir -p "$out"
started=$(date +%s)

echo "== cross-building in $out"
# Test DLLs. The subject and the refuser are built without the C runtime, so their entry point,
# imports (kernel32 by name, the probe by ordinal only) and relocations are exactly their own.
dll_flags=(-O1 -shared -nostdlib -fno-stack-protector -Wl,--kill-at -Wl,--dynamicbase)
"$cc" "${dll_flags[@]}" -Wl,--entry,_ProbeEntry@12 "$wine_tests/probe.c" "$wine_tests/probe.def" \
    -o "$out/lumaru_probe.dll"
i686-w64-mingw32-dlltool -d "$wine_tests/probe.def" -D lumaru_probe.dll -l "$out/libprobe.a"
for variant in subject refuser; do
    defines=()
    [ "$variant" = refuser ] && defines=(-DREFUSE_ATTACH)
    "$cc" "${dll_flags[@]}" "${defines[@]}" -Wl,--entry,_SubjectEntry@12 \
        "$wine_tests/subject.c" "$wine_tests/subject.def" "$out/libprobe.a" -lkernel32 \
        -o "$out/lumaru_$variant.dll"
done
"$cc" -O1 -shared -static-libgcc -Wl,--dynamicbase "$wine_tests/crt_dll.c" -o "$out/lumaru_crt.dll"

loader_sources=()
for name in call_address image_memory_win32 memory_module pe_exports pe_headers pe_imports \
            pe_relocations; do
    loader_sources+=("$root/src/skin/$name.cpp")
done
"$cxx" -std=c++20 -O2 -Wall -Wextra -static \
    -I "$wine_tests" -I "$root/src" -I "$root/tests/skin" \
    "${loader_sources[@]}" "$root/tests/skin/pe_image_writer.cpp" \
    "$root/tests/skin/memory_module_test.cpp" "$wine_tests/real_dll_checks.cpp" \
    "$wine_tests/mini_gtest_main.cpp" -o "$out/loader_tests.exe"
echo "== built in $(( $(date +%s) - started ))s"
if [ -n "$build_only" ]; then
    exit 0
fi

# Where the kernel cannot run 32-bit programs itself, hand them to qemu-user through binfmt_misc
# (needs root and qemu-user-static; the registration lasts until the next boot).
register_qemu_i386() {
    local binfmt=/proc/sys/fs/binfmt_misc
    [ "$(id -u)" -eq 0 ] && [ -x /usr/bin/qemu-i386-static ] || return 1
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt" || return 1
    [ -e "$binfmt/qemu-i386" ] && return 0
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        > "$binfmt/register"
}

if ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
    echo "== wine32 cannot start: registering qemu-user for 32-bit programs"
    if ! register_qemu_i386 || ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
        echo "FAIL: wine32 cannot start here. Install wine32 (dpkg --add-architecture i386); on a" >&2
        echo "      kernel without 32-bit support, run this script as root with qemu-user-static." >&2
        exit 2
    fi
fi

prefix=${LUMARU_WINEPREFIX:-}
fresh_prefix=
if [ -z "$prefix" ]; then
    prefix=$(mktemp -d /tmp/lumaru-wine.XXXXXX)
    fresh_prefix=$prefix
fi
cleanup() {
    WINEPREFIX=$prefix wineserver -k > /dev/null 2>&1 || true
    if [ -n "$fresh_prefix" ]; then
        rm -rf "$fresh_prefix"
    fi
}
trap cleanup EXIT

# Where the kernel cannot run 32-bit programs, binfmt hands them to qemu-user; wine then must not
# re-execute itself, and the C locale keeps libc from mapping locale files where wine wants its
# own fixed areas. Expect minutes there rather than seconds.
emulation=()
if [ -r /proc/sys/fs/binfmt_misc/qemu-i386 ] && head -1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -q enabled; then
    echo "== 32-bit programs run through qemu-user here"
    emulation=(WINELOADERNOEXEC=1)
fi

echo "== running under wine (prefix $prefix)"
run_started=$(date +%s)
status=0
# No Mono or Gecko installers for a fresh prefix.
(cd "$out" && env "${emulation[@]}" WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C wine ./loader_tests.exe $filter) || status=$?
echo "== ran in $(( $(date +%s) - run_started ))s, $(( $(date +%s) - started ))s in all"
if [ "$status" -ne 0 ]; then
    echo "FAIL: loader tests under wine (exit $status)"
    exit 1
fi
echo "PASS: loader tests under wine"

#!/usr/bin/env bash
# Builds the in-memory loader's fuzzer (clang, libFuzzer with the address and undefined-behaviour
# sanitizers) and runs it for a bounded time over a seed corpus of images made by the test image
# writer. Nothing from a fuzzed image is ever run. Exits non-zero when the fuzzer finds a fault;
# the input that caused it is left in the output directory as crash-*, leak-* or timeout-*.
#
#   scripts/fuzz-loader.sh [seconds]        default 60
#   LUMARU_FUZZ_DIR=<dir>                   build and corpus directory (default build-fuzz)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=${LUMARU_FUZZ_DIR:-$root/build-fuzz}
cxx=${CXX_FUZZ:-clang++}
mkdir -p "$out/corpus"

loader_sources=()
for name in call_address image_memory_posix memory_module pe_exports pe_headers pe_imports \
            pe_relocations; do
    loader_sources+=("$root/src/skin/$name.cpp")
done
includes=(-I "$root/src" -I "$root/tests/skin" -I "$root/fuzz")

echo "== building the fuzzer in $out"
"$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "${includes[@]}" "$root/fuzz/memory_module_fuzzer.cpp" "${loader_sources[@]}" -ldl \
    -o "$out/memory_module_fuzzer"
"$cxx" -std=c++20 -O1 "${includes[@]}" "$root/fuzz/make_seeds.cpp" \
    "$root/tests/skin/pe_image_writer.cpp" -o "$out/make_seeds"
rm -rf "$out/seeds"
"$out/make_seeds" "$out/seeds"

echo "== fuzzing for ${seconds}s"
start=$(date +%s)
status=0
"$out/memory_module_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$out/" \
    "$out/corpus" "$out/seeds" || status=$?
echo "== fuzzing took $(( $(date +%s) - start ))s"
if [ "$status" -ne 0 ]; then
    echo "FAIL: the loader fuzzer found a fault (exit $status); see $out/crash-* and the log above"
    exit "$status"
fi
echo "PASS: no fault found in ${seconds}s"

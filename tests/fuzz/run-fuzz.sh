#!/usr/bin/env bash
# Builds the dump fuzzer with clang and runs it for a bounded time over the
# seed corpus (made from tests/data), the committed inputs of earlier
# findings and the corpus kept in the build folder from earlier runs.
# Usage: tests/fuzz/run-fuzz.sh SECONDS [BUILD_DIR]
# Exits non-zero when the fuzzer finds a crash, a leak, undefined behaviour
# or a hang; the input is left in BUILD_DIR/fuzz-artifacts.
# TROVIK_FUZZ_ARGS adds libFuzzer options (for example -fork=2).
set -euo pipefail
seconds=${1:?usage: run-fuzz.sh SECONDS [BUILD_DIR]}
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$src/build/fuzz}
jobs=${TROVIK_JOBS:-2}

if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTROVIK_BUILD_FUZZ=ON -DTROVIK_BUILD_TESTS=OFF -DTROVIK_BUILD_GUI=OFF -DTROVIK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$jobs" --target trovik_dump_fuzzer trovik_fuzz_seeds

seeds=$build/fuzz-seeds
corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
if [ ! -d "$seeds" ]; then
  find "$src/tests/data" -type f ! -name '*.txt' ! -name '*.sh' ! -name '*.objdump' -print0 |
    xargs -0 "$build/tests/fuzz/trovik_fuzz_seeds" "$seeds"
fi

# Leaks count as findings; a run longer than 10 s is a hang.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
# shellcheck disable=SC2086
"$build/tests/fuzz/trovik_dump_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=8192 -print_final_stats=1 -artifact_prefix="$artifacts/" ${TROVIK_FUZZ_ARGS:-} \
  "$corpus" "$seeds" "$src/tests/fuzz/regressions" || status=$?
if [ "$status" -ne 0 ] || [ -n "$(ls -A "$artifacts")" ]; then
  echo "run-fuzz.sh: finding(s) in $artifacts; replay with $build/tests/fuzz/trovik_dump_fuzzer FILE" >&2
  exit "${status/#0/1}"
fi
echo "run-fuzz.sh: no finding; corpus $(ls "$corpus" | wc -l) inputs"

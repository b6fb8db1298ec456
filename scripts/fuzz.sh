#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and fuzzes each for SECONDS,
# starting from its seed corpus in fuzz/corpus/ (new inputs go to build-fuzz/corpus/, the seeds
# stay as they are). A crash, a sanitizer report, an allocation over 256 MB or an input running
# over 10 s stops the run; the input is left in build-fuzz/ as crash-* or slow-unit-*.
#   scripts/fuzz.sh SECONDS [TARGET...]     targets: mesh archive image music options (default: all)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORV_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}"
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(mesh archive image music options)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALUNE_FUZZ=ON \
  -DORVALUNE_TESTS=OFF -DORVALUNE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/fuzz/leaks.supp:print_suppressions=0:fast_unwind_on_malloc=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  echo "fuzzing $target for $seconds s"
  (cd "$build" && "./fuzz/fuzz_$target" -max_total_time="$seconds" -malloc_limit_mb=256 -rss_limit_mb=2048 \
     -timeout=10 -print_final_stats=1 "corpus/$target" "$root/fuzz/corpus/$target" 2>&1 | tail -12)
done

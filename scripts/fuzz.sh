#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and fuzzes each for SECONDS,
# starting from its seed corpus in fuzz/corpus/ (new inputs go to build-fuzz/corpus/, the seeds
# stay as they are). A crash, a sanitizer report, an allocation over 256 MB or an input running
# over 10 s is a finding: its input is kept in build-fuzz/findings/TARGET/ and the target goes on
# fuzzing. Every target runs whatever the others found; the end lists every finding, and the exit
# status is 1 when there was one.
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
findings=()
for target in "${targets[@]}"; do
  found="$build/findings/$target"
  rm -rf "$found"
  mkdir -p "$build/corpus/$target" "$found"
  echo "fuzzing $target for $seconds s"
  # Fork mode runs the inputs in a child, so a finding ends that child only and fuzzing goes on.
  status=0
  (cd "$build" && "./fuzz/fuzz_$target" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
     -max_total_time="$seconds" -malloc_limit_mb=256 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
     -artifact_prefix="$found/" "corpus/$target" "$root/fuzz/corpus/$target" >"$found.log" 2>&1) || status=$?
  grep -v "NEW_FUNC" "$found.log" | tail -8
  inputs=("$found"/*)
  if [ -e "${inputs[0]}" ]; then
    for input in "${inputs[@]}"; do findings+=("$target: $input"); done
  elif [ "$status" -ne 0 ]; then
    findings+=("$target: the fuzzer ended with status $status (see $found.log)")
  fi
done

echo
if [ ${#findings[@]} -eq 0 ]; then
  echo "fuzz: no findings in ${targets[*]}"
  exit 0
fi
echo "fuzz: ${#findings[@]} finding(s); each target's whole log is beside its folder of inputs:"
printf '  %s\n' "${findings[@]}"
exit 1

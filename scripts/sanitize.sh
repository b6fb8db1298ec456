#!/usr/bin/env bash
# Builds with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer into build-sanitize/
# and runs under them the fast test suites, every fuzz corpus and a small capture of the whole
# show. Any report fails the run; the last line says "sanitizers: clean" when there was none.
#   scripts/sanitize.sh            (ORV_SANITIZE_BUILD picks another build folder)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORV_SANITIZE_BUILD:-$root/build-sanitize}"
suites=(runtime maths layout toolkit)
fuzzers=(mesh archive image music options)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALUNE_SANITIZE=ON -DORVALUNE_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target orvalune-capture "${suites[@]/#/test_}" "${fuzzers[@]/#/fuzz_}" >/dev/null

# Only the system's GL, GTK, X and sound server libraries are let off (their one-time allocations
# and their own undefined behaviour); our code and the decoders it calls are not.
export LSAN_OPTIONS="suppressions=$root/scripts/sanitize.supp:print_suppressions=0"
# llvmpipe's shader compiler (LLVM) frees with free() some memory its operator new gave: that one
# check cannot be let off by library, so it is off.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:exitcode=86:alloc_dealloc_mismatch=0:verify_asan_link_order=0"
# Mesa's driver is unloaded when the context goes, and its leaks would then come from an unknown
# module; kept loaded, they carry its name and meet the suppressions.
driver="$(find /usr/lib/x86_64-linux-gnu/dri /usr/lib/dri -name swrast_dri.so 2>/dev/null | head -1 || true)"
[ -n "$driver" ] && export LD_PRELOAD="$driver"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87"
export LP_NUM_THREADS=2

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  display=":$((600 + RANDOM % 300))"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi
logs="$(mktemp -d /tmp/orv-sanitize.XXXXXX)"
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$logs"' EXIT

failed=0
run() { # name command...
  local name="$1"
  shift
  if "$@" >"$logs/$name.log" 2>&1 && ! grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$logs/$name.log"; then
    echo "clean: $name"
  else
    echo "REPORT: $name"
    grep -E -A30 "ERROR: (Address|Leak)Sanitizer|runtime error:|FAILED" "$logs/$name.log" | head -60
    failed=1
  fi
}

for suite in "${suites[@]}"; do
  run "test_$suite" "$build/tests/test_$suite"
done
for target in "${fuzzers[@]}"; do
  run "fuzz_$target" "$build/fuzz/fuzz_$target" "$root/fuzz/corpus/$target"
done
# The whole show, small and at two frames a second: every scene runs, starts and shuts down.
run capture bash -c "cd '$build' && ./orvalune-capture --from 0 --to 363500 --fps 2 --size 160x90 --out '$logs/frames'"

if [ "$failed" -ne 0 ]; then
  echo "sanitizers: reports above"
  exit 1
fi
echo "sanitizers: clean"

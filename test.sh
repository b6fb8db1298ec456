#!/usr/bin/env bash
# Sets everything up and runs every test; the last line reads "N passed, N failed".
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
orv_install "${orv_packages[@]}" xvfb xauth xdotool ffmpeg
orv_build -DORVALUNE_WERROR=ON

xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  display=":$((90 + RANDOM % 500))"
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

results="$ORV_BUILD/test-results"
rm -rf "$results"
mkdir -p "$results"
status=0
(cd "$ORV_BUILD" && ctest --output-on-failure -j "$(nproc)") || status=$?

passed=0
failed=0
for xml in "$results"/*.xml; do
  [ -e "$xml" ] || continue
  line=$(grep -m1 '<testsuites' "$xml")
  tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$line")
  failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$line")
  errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$line")
  disabled=$(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$line")
  bad=$((failures + errors))
  passed=$((passed + tests - bad - disabled))
  failed=$((failed + bad))
done
# A suite that crashed before writing its results still counts as a failure.
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

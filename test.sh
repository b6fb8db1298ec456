#!/usr/bin/env bash
# Sets everything up and runs every test; the line before the last gives the suites' wall time,
# the last line reads "N passed, N failed".
#
# The tests open windows and type keys, so they run on an X server of their own (a 1920x1080
# Xvfb on a display number it picks itself), whatever DISPLAY says: never on the user's desktop.
# ORV_TEST_ON_MY_DISPLAY=1 runs them on the caller's DISPLAY instead.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
# The release suites check the package with Debian's own tools; the audio suite runs a PulseAudio
# of its own; the farm suite a one-node Slurm cluster of its own.
orv_install "${orv_packages[@]}" "${orv_windows_packages[@]}" "${orv_web_packages[@]}" xvfb xauth xdotool ffmpeg weston \
  x11-apps zenity dpkg-dev lintian desktop-file-utils appstream man-db pulseaudio slurm-wlm munge
ORV_WIN_BUILD="${ORV_WIN_BUILD:-$ORV_ROOT/build-win}"
ORV_WEB_OBJ="${ORV_WEB_OBJ:-$ORV_ROOT/build-web-obj}"
ORV_WEB_OUT="${ORV_WEB_OUT:-$ORV_ROOT/build-web}"
orv_build -DORVALUNE_WERROR=ON -DORV_WINDOWS_BUILD="$ORV_WIN_BUILD" -DORV_WEB_BUILD="$ORV_WEB_OBJ" -DORV_WEB_OUT="$ORV_WEB_OUT"

# The Windows build and its suites (run under Wine by ctest below). A failed cross build counts as
# a failure; its old test programs are removed first so that none of them can pass in its place.
rm -f "$ORV_WIN_BUILD"/test_windows_*.exe
windows_build_failed=0
cross_started=$(date +%s.%N)
ORV_WIN_WERROR=ON ORV_BUILD="$ORV_BUILD" ORV_WIN_BUILD="$ORV_WIN_BUILD" "$ORV_ROOT/scripts/build-windows.sh" --target package_zip windows_tests ||
  windows_build_failed=1
cross_finished=$(date +%s.%N)

# The browser build (its page and the capture tool's page), tested in headless Chromium by ctest
# below; likewise its old programs go first, and a failed build counts as a failure.
rm -f "$ORV_WEB_OUT"/orvalune.wasm "$ORV_WEB_OBJ"/capture-page/orvalune-capture.wasm
web_build_failed=0
web_started=$(date +%s.%N)
ORV_WEB_WERROR=ON ORV_BUILD="$ORV_BUILD" ORV_WEB_OBJ="$ORV_WEB_OBJ" ORV_WEB_OUT="$ORV_WEB_OUT" \
  "$ORV_ROOT/scripts/build-web.sh" --target web_page capture_page || web_build_failed=1
web_finished=$(date +%s.%N)

xvfb_pid=""
weston_pid=""
work=$(mktemp -d)
cleanup() {
  # The Wine server of the tests' own prefix must not outlive them.
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$weston_pid" ]; then kill "$weston_pid" 2>/dev/null || true; wait "$weston_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

if [ "${ORV_TEST_ON_MY_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  echo "Testing on the caller's display $DISPLAY"
else
  # Xvfb writes the display number it chose to the pipe once it accepts connections.
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  number=""
  read -r -t 60 number <"$work/display" || true
  if [ -z "$number" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=":$number"
  # Nothing of the caller's session: no Wayland compositor, no other X authority.
  unset WAYLAND_DISPLAY XAUTHORITY
fi

# The Wayland suite's compositor: a weston nested in that X server (its X11 backend), so keys
# typed with xdotool and pictures read with xwd on the X display reach and show its clients.
# Its own runtime folder keeps it apart from any session's. If it does not start, its log is
# printed and the Wayland suite fails saying so.
wayland_runtime="$work/wayland-runtime"
mkdir -m 700 "$wayland_runtime"
wayland_socket="orv-wayland-$(tr -c 'A-Za-z0-9\n' '-' <<<"${DISPLAY#:}")"
XDG_RUNTIME_DIR="$wayland_runtime" weston --backend=x11-backend.so --socket="$wayland_socket" --width=1280 --height=720 \
  --use-pixman --idle-time=0 --log="$work/weston.log" >"$work/weston.out" 2>&1 &
weston_pid=$!
for _ in $(seq 300); do
  [ -S "$wayland_runtime/$wayland_socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -S "$wayland_runtime/$wayland_socket" ]; then
  export ORV_TEST_WAYLAND_DISPLAY="$wayland_socket" ORV_TEST_WAYLAND_RUNTIME_DIR="$wayland_runtime" ORV_TEST_X_DISPLAY="$DISPLAY"
else
  echo "weston did not start; its log:" >&2
  cat "$work/weston.out" "$work/weston.log" >&2 2>/dev/null || true
  export ORV_TEST_WAYLAND_FAILURE="weston did not start (test.sh printed its log)"
fi

# Wine in a prefix of its own, made once per run: quiet, without the .NET and browser installers,
# and without the crash dialog (a crashed test program must end, not wait for a click).
export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_started=$(date +%s.%N)
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wineboot failed:" >&2; cat "$work/wineboot.log" >&2; }
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
wine_finished=$(date +%s.%N)

results="$ORV_BUILD/test-results"
rm -rf "$results"
mkdir -p "$results"
status=0
started=$(date +%s.%N)
(cd "$ORV_BUILD" && ctest --output-on-failure -j "$(nproc)") || status=$?
finished=$(date +%s.%N)

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
if [ "$windows_build_failed" -ne 0 ]; then
  echo "The Windows cross build failed" >&2
  failed=$((failed + 1))
fi
if [ "$web_build_failed" -ne 0 ]; then
  echo "The browser build failed" >&2
  failed=$((failed + 1))
fi
# A suite that crashed before writing its results still counts as a failure.
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
awk -v a="$cross_started" -v b="$cross_finished" -v c="$wine_started" -v d="$wine_finished" -v e="$web_started" \
  -v f="$web_finished" 'BEGIN { printf "Windows cross build %.1f s, Wine prefix %.1f s, browser build %.1f s\n", b - a, d - c, f - e }'
awk -v a="$started" -v b="$finished" 'BEGIN { printf "suites ran in %.1f s wall time\n", b - a }'
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# What a chunk's run-up costs against its frames: chunks of the whole show starting at the same
# time, for several lengths, rendered as orvalune-farm's tasks render them (--chunk, FFV1). Prints
# each run's wall time, its run-up and frames times (from the capture's own progress lines), the
# run-up's share of the wall time, and the ratio of a run-up frame's cost to a kept frame's, which
# orvalune-farm plan takes as --runup-ratio.
#   bench/chunk-runup.sh BUILD_DIR START_S "LENGTHS_S" [CAPTURE OPTIONS...]
#   e.g. bench/chunk-runup.sh build 120 "2 10 30" --fps 30 --size 1280x720
# LP_NUM_THREADS=2 as everywhere in bench/; no display is needed.
set -euo pipefail
build="$(cd "$1" && pwd)"
start="$2" lengths="$3"
shift 3
fps=30
for ((i = 1; i <= $#; i++)); do
  if [ "${!i}" = "--fps" ]; then j=$((i + 1)); fps="${!j}"; fi
done
work="$(mktemp -d /tmp/orv-chunk-runup.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# "run-up 3600/3600 frames, 94.4 fps, 0:38 in all" -> seconds
seconds_of() { grep -o "$1 [0-9/]* [a-z-]*.*in all" "$work/log" | tail -1 | grep -o '[0-9]*:[0-9]* in all' |
                 awk -F'[: ]' '{print $1 * 60 + $2}'; }

printf '| length | frames | wall s | run-up s | frames s | run-up share | run-up frame / kept frame |\n'
printf '|---|---|---|---|---|---|---|\n'
for length in $lengths; do
  first=$((start * fps)) last=$(((start + length) * fps - 1))
  /usr/bin/time -f "%e" -o "$work/time" "$build/orvalune-capture" --from 0 --to 363000 "$@" \
    --chunk "$first-$last" --codec ffv1 --out "$work/c.mkv" >/dev/null 2>"$work/log"
  wall=$(cat "$work/time") runup=$(seconds_of run-up) kept=$(seconds_of frames)
  awk -v l="$length" -v n=$((last - first + 1)) -v w="$wall" -v r="$runup" -v k="$kept" -v f="$first" 'BEGIN {
    printf "| %s s | %d | %.1f | %d | %d | %.0f %% | %.4f |\n", l, n, w, r, k, 100 * r / w, (r / f) / (k / n) }'
done

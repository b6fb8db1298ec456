#!/usr/bin/env bash
# What a master costs against a plain capture, in one run: the same stretch of a scene captured to
# H.264 plain at 1280x720, with --supersample 2, with --motion-blur 4, and plain at 3840x2160,
# round after round in turn, so that the machine's drift falls on all of them alike. Prints every
# run (wall time, where the capture says its time went, peak memory), then the median of each
# with its ratio to the plain capture: of the frames' time (drawing, finishing and reading back,
# waiting for the encoder), which leaves out the start-up every run pays alike.
#   bench/capture-masters.sh BUILD_DIR [FROM TO FPS ROUNDS]    (defaults: 80000 81000 30 3)
# DISPLAY must name an X server; LP_NUM_THREADS=2 as everywhere in bench/.
set -euo pipefail
build="$(cd "$1" && pwd)"
from="${2:-80000}" to="${3:-81000}" fps="${4:-30}" rounds="${5:-3}"
work="$(mktemp -d /tmp/orv-masters.XXXXXX)"
trap 'rm -rf "$work"' EXIT

names=("plain 1280x720" "--supersample 2" "--motion-blur 4" "3840x2160")
options=("--size 1280x720" "--size 1280x720 --supersample 2" "--size 1280x720 --motion-blur 4" "--size 3840x2160")

printf '| round | run | wall s | drawing s | finishing + reading back s | encoder s | peak MB |\n|---|---|---|---|---|---|---|\n'
for round in $(seq "$rounds"); do
  for i in "${!names[@]}"; do
    # shellcheck disable=SC2086 # the options are words
    (cd "$build" && /usr/bin/time -f "%e %M" -o "$work/time" ./orvalune-capture --from "$from" --to "$to" \
        --fps "$fps" ${options[$i]} --out "$work/v.mp4" >/dev/null 2>"$work/log")
    read -r wall kb <"$work/time"
    split=$(grep -o '[0-9.]* s drawing, [0-9.]* s finishing and reading back, [0-9.]* s waiting' "$work/log" |
              awk '{print $1, $4, $10}')
    read -r drawing reading encoder <<<"$split"
    echo "$i $wall $(awk -v a="$drawing" -v b="$reading" -v c="$encoder" 'BEGIN {print a + b + c}')" >>"$work/runs"
    printf '| %d | %s | %s | %s | %s | %s | %d |\n' "$round" "${names[$i]}" "$wall" "$drawing" "$reading" "$encoder" \
      $((kb / 1024))
  done
done

frames=$(( (to - from) * fps / 1000 + 1 ))
printf '\n%d frames (%s..%s ms at %s fps), median of %d rounds:\n\n' "$frames" "$from" "$to" "$fps" "$rounds"
printf '| run | wall s | frames s | per frame s | x plain |\n|---|---|---|---|---|\n'
median() { awk -v i="$1" -v c="$2" '$1 == i {print $c}' "$work/runs" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
plain=$(median 0 3)
for i in "${!names[@]}"; do
  awk -v n="${names[$i]}" -v w="$(median "$i" 2)" -v t="$(median "$i" 3)" -v p="$plain" -v f="$frames" \
    'BEGIN {printf "| %s | %.1f | %.1f | %.3f | %.2f |\n", n, w, t, t / f, t / p}'
done

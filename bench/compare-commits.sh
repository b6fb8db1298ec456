#!/usr/bin/env bash
# Builds the frame benchmark at two commits and compares them in one run: each scene moment is
# measured with A, then B, alternately (ORV_ROUNDS times, best median kept), so the machine's own
# drift hits both alike. The benchmark program of this work tree is laid over both commits, so
# older commits without it compare too.
#   bench/compare-commits.sh REV_A REV_B
#   ORV_MOMENTS="6 7 10 11" bench/compare-commits.sh 36af767 HEAD    (only those moments)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${ORV_COMPARE_DIR:-$(mktemp -d /tmp/orv-bench.XXXXXX)}"
rounds="${ORV_ROUNDS:-1}"
mkdir -p "$work"

build_at() {
  local rev="$1" name="$2" source="$work/src-$2"
  [ -d "$source" ] || git -C "$root" worktree add --detach "$source" "$rev" >/dev/null
  cp "$root/bench/scene_frames.cpp" "$root/bench/show_frames.h" "$source/bench/"
  cmake -S "$source" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALUNE_TESTS=OFF >/dev/null
  cmake --build "$work/build-$name" -j "$(nproc)" --target bench_scene_frames orvalune-capture >/dev/null
}

# The median of one moment, in ms, from a fresh process (the run-up is part of each run).
median_of() {
  local name="$1" moment="$2"
  (cd "$work/build-$name" && bench/bench_scene_frames --benchmark_filter="BM_SceneFrame/$moment/" \
      --benchmark_format=json 2>/dev/null) |
    python3 -c 'import json,sys; b=json.load(sys.stdin)["benchmarks"][0]; print(b["median_ms"], b.get("label",""))'
}

if [ -z "${DISPLAY:-}" ]; then
  echo "compare-commits: needs an X display (Xvfb) in DISPLAY" >&2
  exit 1
fi
export LP_NUM_THREADS="${LP_NUM_THREADS:-2}"
build_at "$1" a
build_at "$2" b

moments="${ORV_MOMENTS:-$(seq 0 29)}"
printf '%-7s %-52s %10s %10s %7s\n' moment scene "A ms" "B ms" "B/A"
for m in $moments; do
  best_a="" best_b="" label=""
  for _ in $(seq "$rounds"); do
    read -r a label < <(median_of a "$m")
    read -r b _ < <(median_of b "$m")
    best_a=$(python3 -c "print(min(float('$a'), float('${best_a:-inf}')))")
    best_b=$(python3 -c "print(min(float('$b'), float('${best_b:-inf}')))")
  done
  printf '%-7s %-52s %10.1f %10.1f %7.2f\n' "$m" "$label" "$best_a" "$best_b" \
    "$(python3 -c "print($best_b / $best_a)")"
done

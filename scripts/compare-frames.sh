#!/usr/bin/env bash
# Builds the capture tool at two commits and compares the same strip of played frames to the
# byte. A change that only reshapes the code must report "identical".
#   scripts/compare-frames.sh REV_A [REV_B]     (REV_B defaults to the work tree as it is)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${ORV_COMPARE_DIR:-$(mktemp -d /tmp/orv-compare.XXXXXX)}"
mkdir -p "$work"

# Builds the capture tool and data.pak of a commit (or of the work tree) and captures the strip.
capture_at() {
  local rev="$1" name="$2" source="$root"
  if [ "$rev" != "WORKTREE" ]; then
    source="$work/src-$name"
    [ -d "$source" ] || git -C "$root" worktree add --detach "$source" "$rev" >/dev/null
  fi
  cmake -S "$source" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DORVALUNE_TESTS=OFF -DORVALUNE_BENCH=OFF >/dev/null
  cmake --build "$work/build-$name" -j "$(nproc)" --target orvalune-capture >/dev/null
  local program
  program=$(find "$work/build-$name" -name orvalune-capture -type f -perm -u+x | head -1)
  # Older builds kept the capture tool in a subfolder: run it where data.pak is.
  (cd "$work/build-$name" && "$root/scripts/frame-strip.sh" "$program" "$work/frames-$name")
}

need_display=""
if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null)
  read -r number <&3
  export DISPLAY=":$number"
  need_display=yes
fi

capture_at "$1" a
capture_at "${2:-WORKTREE}" b

# Pixels, not file bytes: the two builds may write PNG files differently (compression level,
# RGB or RGBA) for the very same picture.
pixel_sums() {
  (cd "$1" && find . -name '*.png' | sort | while read -r png; do
    echo "$png $(ffmpeg -nostdin -v error -i "$png" -f rawvideo -pix_fmt rgb24 - | md5sum | cut -d' ' -f1)"
  done)
}
pixel_sums "$work/frames-a" >"$work/pixels-a.txt"
# A picture that could not be decoded would hash like every other undecodable one: refuse it.
if grep -q "$(printf '' | md5sum | cut -d' ' -f1)" "$work/pixels-a.txt"; then
  echo "some frames could not be decoded" >&2
  exit 1
fi
pixel_sums "$work/frames-b" >"$work/pixels-b.txt"
if [ -s "$work/pixels-a.txt" ] && diff "$work/pixels-a.txt" "$work/pixels-b.txt" >/dev/null; then
  echo "identical: $(wc -l <"$work/pixels-a.txt") frames"
else
  echo "frames differ:"
  diff "$work/pixels-a.txt" "$work/pixels-b.txt" | head -20
  exit 1
fi
[ -n "$need_display" ] && pkill -P $$ Xvfb 2>/dev/null || true

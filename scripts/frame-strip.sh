#!/usr/bin/env bash
# Captures a fixed strip of played frames across the show with one capture program, so that two
# builds can be compared to the byte. Usage: frame-strip.sh CAPTURE_PROGRAM OUT_DIR
set -euo pipefail
capture="$1"
out="$2"
mkdir -p "$out"

# from to fps size: played ranges over every scene change and a few steady stretches.
ranges=(
  "0 1500 10 320x240"
  "9500 10600 10 640x360"
  "39000 40000 10 320x240"
  "50000 50500 10 640x480"
  "65000 67000 10 320x240"
  "71800 72600 10 640x360"
  "79500 80300 10 320x240"
  "90500 91600 10 320x240"
  "95000 95500 10 640x360"
  "100000 100500 10 640x400"
  "119500 120300 10 320x240"
  "133300 134300 10 320x240"
  "149000 150200 10 320x240"
  "166800 167400 10 320x240"
  "182800 183300 10 320x240"
  "203800 204400 10 320x240"
  "221300 221900 10 320x240"
  "254300 254900 10 320x240"
  "295900 296400 10 320x240"
  "304800 305400 10 320x240"
  "345900 346400 10 320x240"
  "360500 361000 10 320x240"
)
for range in "${ranges[@]}"; do
  read -r from to fps size <<<"$range"
  dir="$out/${from}-${to}-${size}"
  rm -rf "$dir"
  mkdir -p "$dir"
  "$capture" --from "$from" --to "$to" --fps "$fps" --size "$size" --out "$dir" >/dev/null 2>"$dir.log" || {
    echo "capture of $from..$to at $size failed; see $dir.log" >&2
    exit 1
  }
done
echo "$(find "$out" -name '*.png' | wc -l) frames in $out"

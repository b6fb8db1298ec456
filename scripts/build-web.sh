#!/usr/bin/env bash
# The browser build: installs Debian's emscripten and chromium (only when missing), fetches zlib's
# Debian source package and builds it with emcc, builds the Linux build's data.pak (the same data
# on every platform), then compiles the show to WebAssembly and writes build-web/: index.html,
# orvalune.js, orvalune.wasm and data.pak, a folder any static web server can serve.
# Extra arguments go to CMake's build (e.g. --target orvalune; the tests' capture page is
# --target capture_page, in build-web-obj/capture-page/).
set -euo pipefail

ORV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ORV_BUILD="${ORV_BUILD:-$ORV_ROOT/build}"
ORV_WEB_OBJ="${ORV_WEB_OBJ:-$ORV_ROOT/build-web-obj}"
ORV_WEB_OUT="${ORV_WEB_OUT:-$ORV_ROOT/build-web}"
source "$ORV_ROOT/scripts/setup.sh"

orv_install "${orv_packages[@]}" "${orv_web_packages[@]}"
# Debian's emscripten runs its JavaScript tools with the machine's node, which does not look in
# Debian's own node folder by itself.
export NODE_PATH=/usr/share/nodejs
jobs="${ORV_JOBS:-$(nproc)}"

cmake -S "$ORV_ROOT" -B "$ORV_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ORV_BUILD" -j "$jobs" --target data_pak orv_resources

# zlib from Debian's source package (fetched without adding a source to the system), built once with emcc into $ORV_WEB_OBJ/zlib.
zlib="$ORV_WEB_OBJ/zlib"
if [ ! -f "$zlib/lib/libz.a" ]; then
  rm -rf "$zlib" && mkdir -p "$zlib/src" "$zlib/lib" "$zlib/include"
  "$ORV_ROOT/scripts/fetch-source.sh" zlib "$zlib/src"
  src=$(find "$zlib/src" -maxdepth 1 -type d -name 'zlib-*' | head -n1)
  objects=()
  for file in adler32 crc32 deflate infback inffast inflate inftrees trees zutil compress uncompr; do
    emcc -O2 -c "$src/$file.c" -o "$zlib/src/$file.o"
    objects+=("$zlib/src/$file.o")
  done
  emar rcs "$zlib/lib/libz.a" "${objects[@]}"
  cp "$src/zlib.h" "$src/zconf.h" "$zlib/include/"
fi

# ORV_WEB_WERROR=ON (the test command) turns warnings in our code into errors.
werror=OFF
[ "${ORV_WEB_WERROR:-OFF}" = ON ] && werror=ON
emcmake cmake -S "$ORV_ROOT" -B "$ORV_WEB_OBJ" -DCMAKE_BUILD_TYPE=Release -DORV_HOST_BUILD="$ORV_BUILD" \
  -DORV_ZLIB_DIR="$zlib" -DORV_WEB_OUT="$ORV_WEB_OUT" -DORVALUNE_WERROR="$werror" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$ORV_WEB_OBJ" -j "$jobs" "$@"
else
  cmake --build "$ORV_WEB_OBJ" -j "$jobs" --target web_page
fi

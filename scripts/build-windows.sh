#!/usr/bin/env bash
# The Windows build: installs the MinGW-w64 cross compiler, its zlib and Wine (only those missing),
# builds the Linux build's data.pak and module resources (the same data on both platforms), then
# cross-compiles orvalune.exe and orvalune-capture.exe into build-win/ and packs
# build-win/orvalune-VERSION-windows.zip. Extra arguments go to CMake's build (e.g. --target orvalune).
set -euo pipefail

ORV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ORV_BUILD="${ORV_BUILD:-$ORV_ROOT/build}"
ORV_WIN_BUILD="${ORV_WIN_BUILD:-$ORV_ROOT/build-win}"
source "$ORV_ROOT/scripts/setup.sh"

orv_install "${orv_packages[@]}" "${orv_windows_packages[@]}"
cmake -S "$ORV_ROOT" -B "$ORV_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ORV_BUILD" -j "$(nproc)" --target data_pak orv_resources windows_icon test_song

# ORV_WIN_WERROR=ON (the test command) turns warnings in our code into errors.
werror=OFF
[ "${ORV_WIN_WERROR:-OFF}" = ON ] && werror=ON
cmake -S "$ORV_ROOT" -B "$ORV_WIN_BUILD" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$ORV_ROOT/cmake/mingw-w64-x86_64.cmake" -DORV_HOST_BUILD="$ORV_BUILD" \
  -DORVALUNE_WERROR="$werror" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$ORV_WIN_BUILD" -j "$(nproc)" "$@"
else
  cmake --build "$ORV_WIN_BUILD" -j "$(nproc)" --target package_zip
fi

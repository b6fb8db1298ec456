#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then configures and builds
# everything, data.pak included, into build/. Sourced by run.sh and test.sh.
set -euo pipefail

ORV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ORV_BUILD="${ORV_BUILD:-$ORV_ROOT/build}"

orv_packages=(
  build-essential cmake pkg-config
  libsdl2-dev libphysfs-dev libstb-dev libvorbis-dev libjpeg62-turbo-dev libpng-dev libkissfft-dev libfreetype-dev fonts-dejavu-core
  libgtk-3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-dev libegl-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg
)
# The Windows build: the MinGW-w64 cross compiler, its zlib, Wine, and GoogleTest's sources (built
# for Windows by the cross build).
orv_windows_packages=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine googletest)
# The browser build: emscripten, zlib's source package (apt-get source needs dpkg-dev), and chromium
# for its tests.
orv_web_packages=(emscripten dpkg-dev chromium)

orv_install() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Extra CMake settings may come as arguments (the test command turns warnings into errors).
orv_build() {
  cmake -S "$ORV_ROOT" -B "$ORV_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$ORV_BUILD" -j "$(nproc)"
}

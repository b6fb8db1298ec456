#!/usr/bin/env bash
# Makes the release of the checked-out commit: the Debian package orvalune_VERSION_amd64.deb, the
# Windows zip orvalune-VERSION-windows.zip and the screenshot the package's metainfo names (to be
# published at the project's web address), with their SHA-256 sums in dist/SHA256SUMS.
#
# Everything is built from nothing in folders of its own (build-release/, build-release-win/),
# from a tree without uncommitted changes or stray files: what is released is exactly the commit
# its programs name. dist/ is emptied first. The package must pass lintian without an error.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ -n "$(git status --porcelain)" ]; then
  echo "release: the tree has changes that are not committed; commit or stash them first:" >&2
  git status --short >&2
  exit 1
fi

export ORV_BUILD="$root/build-release" ORV_WIN_BUILD="$root/build-release-win"
source "$root/scripts/setup.sh"
orv_install "${orv_packages[@]}" "${orv_windows_packages[@]}" dpkg-dev lintian xvfb xauth
if command -v ccache >/dev/null; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
rm -rf "$ORV_BUILD" "$ORV_WIN_BUILD" "$root/dist"
mkdir -p "$root/dist"

# Linux: only what the package holds (the suites are the test command's business).
cmake -S "$root" -B "$ORV_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVALUNE_WERROR=ON >/dev/null
cmake --build "$ORV_BUILD" -j "$(nproc)" --target orvalune orvalune-capture data_pak package_files
(cd "$ORV_BUILD" && cpack -G DEB)
version=$("$ORV_BUILD/orvalune" --version | cut -d' ' -f2)
deb="$ORV_BUILD/orvalune_${version}_amd64.deb"
lintian --fail-on error "$deb"

# The screenshot needs a display: an X server of its own when there is none.
xvfb_pid=""
work=$(mktemp -d)
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  read -r -t 60 number <"$work/display" || { echo "release: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  export DISPLAY=":$number"
fi
cmake --build "$ORV_BUILD" --target screenshot

# Windows, from the same data.pak.
ORV_WIN_WERROR=ON "$root/scripts/build-windows.sh" --target package_zip

cp "$deb" "$ORV_WIN_BUILD/orvalune-${version}-windows.zip" "$ORV_BUILD/orvalune-${version}-screenshot.png" "$root/dist/"
(cd "$root/dist" && sha256sum -- * >SHA256SUMS && cat SHA256SUMS)
echo "release: Orvalune $version ($(git rev-parse --short=12 HEAD)) is in dist/"

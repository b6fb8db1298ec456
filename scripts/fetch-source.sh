#!/usr/bin/env bash
# Fetches and unpacks a Debian source package into a folder without touching the system's apt
# configuration: the source list, the package lists and apt's cache all live in a temporary
# folder that is removed afterwards, so a machine without any deb-src entry is left as it was.
# Usage: fetch-source.sh PACKAGE DESTINATION
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 PACKAGE DESTINATION" >&2
  exit 2
fi
package="$1"
destination="$2"

apt_dir=$(mktemp -d)
trap 'rm -rf "$apt_dir"' EXIT
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main\n' \
  >"$apt_dir/sources.list"
# The download runs as the caller (no privileges needed, nothing for apt's own user to reach).
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/none"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o "APT::Sandbox::User=$(id -un)"
)
apt-get "${apt_options[@]}" -qq update
mkdir -p "$destination"
(cd "$destination" && apt-get "${apt_options[@]}" -qq source "$package" >/dev/null)

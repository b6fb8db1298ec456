#!/usr/bin/env bash
# Sets everything up and starts the show.
set -euo pipefail
source "$(dirname "$0")/scripts/setup.sh"
orv_install "${orv_packages[@]}"
orv_build
exec "$ORV_BUILD/orvalune"

#!/usr/bin/env bash
# Installs what is missing, builds and starts the exercise (see README.md).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "The exercise needs a desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set);" \
        "to run it without one, see \"Running without a screen\" (Xvfb) in README.md." >&2
    exit 1
fi
ensure_packages "$BASE_PACKAGES"
dir="$(build_dir build)"
# The program alone: its tests and benchmarks are the test command's.
configure_and_build "$dir" -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF
exec "$dir/bin/alkyne-combustion" "$@"

#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole suite headless (see README.md).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/common.sh"

ensure_packages "$BASE_PACKAGES" "$TEST_PACKAGES"
dir="$(build_dir build)"
configure_and_build "$dir" -DWARNINGS_AS_ERRORS=ON -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON
cd "$dir"
status=0
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}" -LE wayland "$@" ||
    status=1
# The window suites again, as native clients of a headless Wayland compositor.
"$_alkyne_root/scripts/wayland_suite.sh" "$dir" || status=1
# The exercise heard through Orca, done from the keyboard alone.
"$_alkyne_root/scripts/orca_check.sh" "$dir" || status=1
exit "$status"

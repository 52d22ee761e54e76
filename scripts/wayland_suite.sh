#!/usr/bin/env bash
# Runs the window suites (the tests labelled wayland) as native Wayland clients of a headless sway, first
# on an output of scale 1, then on one of scale 2. When no compositor can be started it says so in one
# line and succeeds, so that the rest of the suite stands on its own. A compositor whose output is not
# the one it was asked for (its size or its scale) fails the runs in one line that says what it has,
# before any client starts.
#
#   scripts/wayland_suite.sh BUILD_DIR [CTEST_ARG...]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
dir="${1:?wayland_suite.sh needs the build folder}"
shift

if ! start_headless_sway; then
    echo "Wayland suite skipped: $SWAY_FAILURE."
    exit 0
fi
cd "$dir"
failed=0
for scale in 1 2; do
    swaymsg -s "$SWAY_IPC" output HEADLESS-1 scale "$scale" >/dev/null
    if ! sway_output_is "$SWAY_OUTPUT_MODE" "$scale"; then
        echo "Wayland suite, output scale $scale: not run: $SWAY_FAILURE."
        failed=1
        continue
    fi
    export TEST_OUTPUT_SCALE="$scale" # what the suite checks the window's pixel ratio against
    echo "Wayland suite, output scale $scale:"
    if [ "$scale" -eq 1 ]; then
        ctest --output-on-failure -L wayland "$@" || failed=1
    else
        # At scale 2 the output itself doubles the window: the runs with Qt's own scaling are left out.
        ctest --output-on-failure -L wayland -E '_wayland_x2$' "$@" || failed=1
    fi
done
exit "$failed"

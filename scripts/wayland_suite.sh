#!/usr/bin/env bash
# Runs the window suites (the tests labelled wayland) as native Wayland clients of a headless sway, first
# on an output of scale 1, then on one of scale 2. When no compositor can be started it says so in one
# line and succeeds, so that the rest of the suite stands on its own.
#
#   scripts/wayland_suite.sh BUILD_DIR [CTEST_ARG...]
#
# sway refuses to run as root: root starts it as the user nobody, with a runtime folder of its own.
set -euo pipefail
dir="${1:?wayland_suite.sh needs the build folder}"
shift

skip() {
    echo "Wayland suite skipped: $*."
    exit 0
}

command -v sway >/dev/null 2>&1 || skip "sway is not installed"
command -v swaymsg >/dev/null 2>&1 || skip "swaymsg is not installed"
runtime="$(mktemp -d "${TMPDIR:-/tmp}/alkyne-wayland.XXXXXX")"
config="$runtime/config"
printf 'output HEADLESS-1 resolution 1280x800 scale 1\n' >"$config"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null 2>&1 || skip "running as root, and setpriv is missing to start sway as nobody"
    chown -R nobody "$runtime"
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
fi
chmod 700 "$runtime"

"${as_user[@]}" env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 sway --config "$config" >"$runtime/sway.log" 2>&1 &
sway_pid=$!
cleanup() {
    kill "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT

socket=
for _ in $(seq 100); do
    socket="$(find "$runtime" -maxdepth 1 -name 'wayland-*' -type s -printf '%f\n' 2>/dev/null | head -n 1)"
    ipc="$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*' -type s -print 2>/dev/null | head -n 1)"
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$socket" ] || [ -z "$ipc" ]; then
    skip "sway did not start ($(tail -n 1 "$runtime/sway.log" 2>/dev/null))"
fi

# The clients have a runtime folder of their own, as every user has (Qt warns of one that belongs to
# somebody else), and reach the compositor's socket by its full path.
clients="$runtime/clients"
mkdir -m 700 "$clients"
export XDG_RUNTIME_DIR="$clients" WAYLAND_DISPLAY="$runtime/$socket"
cd "$dir"
failed=0
for scale in 1 2; do
    swaymsg -s "$ipc" output HEADLESS-1 scale "$scale" >/dev/null
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

#!/usr/bin/env bash
# The exercise's benchmarks, in a Release build folder of their own (build-bench):
#
#   1. start-up as whole processes, the exercise against an empty main window of the same client size
#      and menu bar, alternated run by run, on the offscreen platform, under an X server (Xvfb) and as
#      a native client of a headless Wayland compositor (sway):
#      medians of launch to first paint, launch to exit, peak resident memory and processor time;
#   2. Google Benchmark timings of the window's input (bench/bench_window.cpp) at device pixel ratios 1 and 2.
#
#   scripts/bench.sh                 everything, 20 start-up runs of each side per platform
#   RUNS=40 scripts/bench.sh         more start-up runs
#   scripts/bench.sh startup         only the start-up pair;  scripts/bench.sh input   only the timings
#
# The machine should be otherwise idle: the start-up figures are wall-clock times.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

what="${1:-all}"
runs="${RUNS:-20}"
repetitions="${REPETITIONS:-10}"

ensure_packages $BASE_PACKAGES libbenchmark-dev xvfb xauth sway qt6-wayland
dir="$(build_dir build-bench)"
BUILD_TYPE=Release configure_and_build "$dir" -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=ON
bin="$dir/bin"

startup() {
    echo "## Start-up on the offscreen platform"
    QT_QPA_PLATFORM=offscreen "$bin/startup_pair" "$runs" "$bin/startup_exercise" "$bin/startup_bare"
    echo
    echo "## Start-up under an X server (Xvfb, 24-bit, no window manager)"
    # xvfb-run picks a free display and waits until the server is ready.
    xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" env QT_QPA_PLATFORM=xcb \
        "$bin/startup_pair" "$runs" "$bin/startup_exercise" "$bin/startup_bare"
    echo
    echo "## Start-up under Wayland (headless sway, output scale 1)"
    (
        start_headless_sway && sway_output_is "$SWAY_OUTPUT_MODE" 1 || { echo "skipped: $SWAY_FAILURE"; exit 0; }
        QT_QPA_PLATFORM=wayland "$bin/startup_pair" "$runs" "$bin/startup_exercise" "$bin/startup_bare"
    )
}

input() {
    local ratio
    for ratio in 1 2; do
        echo
        echo "## Input at device pixel ratio $ratio (medians of $repetitions repetitions)"
        QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR="$ratio" "$bin/bench_window" \
            --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
            --benchmark_filter='.*' 2>&1 | grep -E '^(Benchmark|-+$|BM_.*_median)'
    done
}

case "$what" in
startup) startup ;;
input) input ;;
all)
    startup
    input
    ;;
*)
    echo "usage: $0 [all|startup|input]" >&2
    exit 2
    ;;
esac

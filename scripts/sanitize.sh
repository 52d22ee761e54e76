#!/usr/bin/env bash
# Builds the exercise and its whole suite with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer in a build folder of their own, and runs the suite there, the storm
# included. Any memory error, leak or undefined behaviour fails the test that met it.
# Extra arguments go to ctest, e.g. scripts/sanitize.sh -R storm
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/common.sh"

ensure_packages "$BASE_PACKAGES" "$TEST_PACKAGES"
dir="$(build_dir build-asan)"
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
# -O1 keeps the build and the storm quick while the reports keep their line numbers.
BUILD_TYPE=Debug configure_and_build "$dir" \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g -fno-omit-frame-pointer $sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DWARNINGS_AS_ERRORS=ON

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}" -LE wayland "$@"

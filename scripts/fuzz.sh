#!/usr/bin/env bash
# Builds the coefficient reader's libFuzzer target with clang (address, leak and undefined-behaviour
# sanitizers on) in a build folder of its own, and fuzzes it for SECONDS (default 60) from the
# committed corpus. New inputs go to a scratch corpus in the build folder, never into fuzz/corpus.
# Any crash, hang, leak or undefined behaviour stops the run with the input that caused it.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/common.sh"

seconds="${1:-60}"
ensure_packages "$BASE_PACKAGES" clang libclang-rt-dev
dir="$(build_dir build-fuzz)"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DWARNINGS_AS_ERRORS=OFF
cmake --build "$dir" --target fuzz_coefficients -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"

mkdir -p "$dir/corpus"
# -timeout: one input taking longer is a hang; the longest real input reads in milliseconds.
"$dir/bin/fuzz_coefficients" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$dir/" "$dir/corpus" "$root/fuzz/corpus/coefficients"

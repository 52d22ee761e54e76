#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address, leak and undefined-behaviour sanitizers on) in a build
# folder of its own, and fuzzes each named TARGET for SECONDS (default 60) from its committed corpus:
# `coefficients` (the coefficient reader and rules) and `attempt` (the reader of a kept attempt); both by
# default, one after the other. New inputs go to a scratch corpus in the build folder, never into
# fuzz/corpus. Any crash, hang, leak or undefined behaviour stops the run with the input that caused it.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/common.sh"

seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(coefficients attempt)
fi
for target in "${targets[@]}"; do
    if [ ! -d "$root/fuzz/corpus/$target" ]; then
        echo "no fuzz target named $target (see fuzz/corpus)" >&2
        exit 2
    fi
done
ensure_packages "$BASE_PACKAGES" clang libclang-rt-dev
dir="$(build_dir build-fuzz)"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DWARNINGS_AS_ERRORS=OFF
cmake --build "$dir" --target "${targets[@]/#/fuzz_}" -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"

for target in "${targets[@]}"; do
    mkdir -p "$dir/corpus/$target"
    # -timeout: one input taking longer is a hang; the longest real input reads in milliseconds.
    "$dir/bin/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$dir/$target-" "$dir/corpus/$target" "$root/fuzz/corpus/$target"
done

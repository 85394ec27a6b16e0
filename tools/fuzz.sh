#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each one:
# first over its regression inputs and seed corpus, then fuzzing from the
# seeds for SECONDS (default 30) with its working corpus in a temporary
# folder. A finding is kept in build/fuzz/findings/. Exits non-zero if any
# input failed. tests/fuzz/README.md tells more.
#
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake -S . -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTONVALE_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/fuzz -j "$(nproc)"

# The first lines of a finding: a target's own reason or a sanitizer's.
reason() { grep -a -A3 -m1 '^[a-z_]*_fuzzer: \|ERROR: AddressSanitizer\|runtime error' "$1" || tail -20 "$1"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/findings
failed=()
for target in window_messages patch_names settings; do
    fuzzer=build/fuzz/${target}_fuzzer
    echo "== $target: regression inputs and seed corpus"
    for input in tests/fuzz/regressions/$target/* tests/fuzz/corpus/$target/*; do
        if ! "$fuzzer" "$input" >"$work/output" 2>&1; then
            echo "FAILED: $input"
            reason "$work/output"
            failed+=("$input")
        fi
    done
    echo "== $target: fuzzing for $seconds s"
    mkdir -p "$work/$target"
    if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/findings/$target-" "$work/$target" "tests/fuzz/corpus/$target" \
        >"$work/output" 2>&1; then
        echo "FAILED: fuzzing $target"
        reason "$work/output"
        grep -a 'Test unit written to' "$work/output" || tail -20 "$work/output"
        failed+=("$target fuzzing")
    fi
    grep -a 'stat::number_of_executed_units' "$work/output" || true
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: ${#failed[@]} failed:"
    printf '  %s\n' "${failed[@]}"
    exit 1
fi
echo "fuzz: every input passed"

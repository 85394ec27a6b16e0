#!/usr/bin/env bash
# Measures how long a key press and a click take under Wine, X server to
# midiOutShortMsg, and a warm start to the shown panel, for Tonvale and for
# a floor program that does nothing else, a key press while an hour-long
# take is saved, and what one message costs in the window procedure (host
# build), and writes docs/performance.md. Not part of
# tools/test.sh.
#
#   tools/bench.sh [--runs N] [--presses N] [--warmup N] [--starts N] [--saves N] [--output FILE] [--raw FILE]
#                  [--recording]
#
# Everything it starts (Xvfb, Wine, a temporary Wine prefix) is ended and
# removed when it ends, also on Ctrl+C or kill.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

install_missing_packages cmake make gcc g++ libx11-dev libxtst-dev libgtest-dev libbenchmark-dev \
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools \
    wine wine64 xvfb xdotool python3 python3-mido

cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j "$(nproc)"
# The host benchmark of the window procedure, optimised as the program is.
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j "$(nproc)" --target playing_benchmark
gcc -std=c11 -O2 -Wall -Wextra -o build/bench/xinject tools/bench/xinject.c -lXtst -lX11
gcc -std=c11 -O2 -Wall -Wextra -o build/bench/xshown tools/bench/xshown.c -lX11
gcc -std=c11 -O2 -Wall -Wextra -o build/bench/xonsave tools/bench/xonsave.c -lXtst -lX11

scratch=$(mktemp -d /tmp/tonvale-bench.XXXXXX)
bench_pid=""
clean_up() {
    trap - EXIT INT TERM
    if [ -n "$bench_pid" ]; then
        kill -TERM "$bench_pid" 2>/dev/null || true
        wait "$bench_pid" 2>/dev/null || true
    fi
    # The Wine servers of the prefixes, and the prefixes, whatever state the benchmark left them in.
    for prefix in "$scratch/tonvale" "$scratch/floor"; do
        /usr/bin/python3 tests/e2e/e2e.py --prefix "$prefix" prefix-cleanup >/dev/null 2>&1 || true
    done
    rm -rf "$scratch"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

build/bench/playing_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$scratch/host.json" --benchmark_out_format=json

# In the background, so that a signal reaches the traps at once instead of
# after the benchmark.
/usr/bin/python3 tools/bench/bench.py --windows-build build/windows --injector build/bench/xinject \
    --shown build/bench/xshown --on-save build/bench/xonsave --scratch "$scratch" --host-results "$scratch/host.json" "$@" &
bench_pid=$!
status=0
wait "$bench_pid" || status=$?
bench_pid=""
exit "$status"

#!/usr/bin/env bash
# Sets up a fresh Debian machine for the tests, builds the Windows program
# (64-bit and 32-bit, each with its zip and installer) and the host tests,
# and runs every test: host unit tests, the property test, the end-to-end
# tests of the real program under Wine, and a short run of the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

install_missing_packages cmake make g++ libgtest-dev clang-tidy clang-format \
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools \
    wine wine64 xvfb xdotool x11-utils x11-xkb-utils imagemagick openbox python3 clang libclang-rt-14-dev nsis \
    python3-mido fluidsynth fluid-soundfont-gm

jobs=$(nproc)
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/windows -j "$jobs"
cmake --build build/windows --target package
cmake -S . -B build/windows32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/windows32 -j "$jobs"
cmake --build build/windows32 --target package

# Both builds export the window procedure by its plain name alone.
check_export() {
    local exports
    exports=$("$1" -p "$2" | awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
                                  table && /^\t\[/ { print $NF; next } { table = 0 }')
    if [ "$exports" != MainWndProc ]; then
        echo "$2 exports \"$exports\", not exactly MainWndProc" >&2
        exit 1
    fi
    echo "$2 exports MainWndProc"
}
check_export x86_64-w64-mingw32-objdump build/windows/tonvale.exe
check_export i686-w64-mingw32-objdump build/windows32/tonvale.exe

cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug -DTONVALE_WINDOWS_BUILD="$PWD/build/windows"
cmake --build build/host -j "$jobs"
# One naming style (.clang-tidy) and one layout (.clang-format) for the
# program's sources: a finding fails the run.
program_folders=(app settings base port model input display devices takes platform)
clang-tidy -p build/host --quiet $(find "${program_folders[@]}" -name '*.cpp' | sort) 2>&1 | { grep -v 'warnings generated' || true; }
clang-format --dry-run --Werror $(find "${program_folders[@]}" -name '*.cpp' -o -name '*.h' | sort)
# Each folder includes only its own headers and those of the folders below
# it, top to bottom as the README's layout table has them.
layers=(app settings input devices display takes model port base resources platform)
for ((i = 1; i < ${#layers[@]}; i++)); do
    for ((j = 0; j < i; j++)); do
        if grep -n "#include \"${layers[j]}/" $(find "${layers[i]}" -type f); then
            echo "${layers[i]}/ includes a header of ${layers[j]}/, which is above it" >&2
            exit 1
        fi
    done
done
ctest --test-dir build/host --output-on-failure --label-exclude e2e
# The real program under Wine on a busy two-core machine: a test that trips
# over the machine rather than the program gets one more run.
ctest --test-dir build/host --output-on-failure --label-regex e2e --repeat until-pass:2
# The libFuzzer targets: their regression inputs and seeds, then 30 s each.
tools/fuzz.sh 30

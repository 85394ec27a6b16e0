#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine.
#
# Sound: where an ALSA sequencer exists, FluidSynth (General MIDI sound font)
# is started and fed from Wine's MIDI device 0. Where there is none
# (containers, CI), a MIDI monitor driver beside the exe prints each message
# instead. Without a display the program runs on a virtual screen (Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

install_missing_packages cmake make g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools wine wine64

cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j "$(nproc)"

# A folder of its own: the program reads gm_ins.nms from its current folder,
# and a monitor winmm.dll there must not shadow the system's for anything else.
run_dir=build/run
rm -rf "$run_dir"
mkdir -p "$run_dir"
cp build/windows/tonvale.exe build/windows/gm_ins.nms "$run_dir"/

helpers=()
stop_helpers() { for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_helpers EXIT

if [ -z "${DISPLAY:-}" ]; then
    install_missing_packages xvfb
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    helpers+=($!)
    until [ -s "$display_file" ]; do kill -0 "${helpers[-1]}" || exit 1; sleep 0.1; done
    export DISPLAY=":$(cat "$display_file")"
    rm -f "$display_file"
    echo "No display: running on a virtual screen (Xvfb $DISPLAY), where the window cannot be seen. Ctrl+C ends it."
fi

overrides="mscoree,mshtml="  # no offers to install Wine's .NET and HTML add-ons
if [ -e /dev/snd/seq ]; then
    install_missing_packages fluidsynth fluid-soundfont-gm alsa-utils
    audio=alsa
    if command -v pactl >/dev/null && pactl info >/dev/null 2>&1; then audio=pulseaudio; fi
    fluidsynth --server --no-shell --audio-driver="$audio" --midi-driver=alsa_seq \
        /usr/share/sounds/sf2/FluidR3_GM.sf2 >/dev/null 2>&1 &
    helpers+=($!)
    synth=""
    for _ in $(seq 50); do
        synth=$(aconnect -o | awk '/^client [0-9]+: .FLUID Synth/ { print $2 + 0; exit }')
        [ -n "$synth" ] && break
        sleep 0.2
    done
    [ -n "$synth" ] || { echo "FluidSynth did not start." >&2; exit 1; }
    # Wine numbers the writable sequencer ports in the order aconnect lists
    # them; device 0 is the first (often "Midi Through"). Feed it to FluidSynth.
    first=$(aconnect -o | awk '/^client/ { client = $2 + 0 } /^ +[0-9]+ / && client != "" { print client ":" $1; exit }')
    if [ "$first" != "$synth:0" ]; then aconnect "$first" "$synth:0"; fi
    echo "Playing through FluidSynth (Wine MIDI device 0 = ALSA port $first)."
else
    cp build/windows/monitor_driver/winmm.dll "$run_dir"/
    overrides="winmm=n,b;$overrides"
    echo "No ALSA sequencer here: the MIDI monitor prints what the program plays."
fi

cd "$run_dir"
status=0
WINEDEBUG=-all WINEDLLOVERRIDES="$overrides" wine tonvale.exe || status=$?
echo "Tonvale ended with exit code $status."
exit "$status"

#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine.
#
# Sound: where an ALSA sequencer exists, FluidSynth (General MIDI sound font)
# is started and fed from Wine's MIDI device 0. Where there is none
# (containers, CI), the MIDI monitor (tools/midi_monitor/) beside the exe
# prints each message instead. Without a display the program runs on a
# virtual screen (Xvfb).
#
# Everything it starts (virtual screen, synthesizer, and the program with the
# Wine processes of its own prefix) is ended when the program ends, and also
# when this command is interrupted (Ctrl+C), terminated or loses its terminal.
#
#   TONVALE_PREBUILT=DIR     run DIR/tonvale.exe as built, without installing
#                            or building anything (the tests do)
#   TONVALE_WINEPREFIX=DIR   the Wine prefix (default build/wineprefix, made
#                            on the first run); the program keeps its settings
#                            there, in %APPDATA%\Tonvale\tonvale.ini
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh

build=${TONVALE_PREBUILT:-build/windows}
if [ -z "${TONVALE_PREBUILT:-}" ]; then
    install_missing_packages cmake make g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-tools wine wine64
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    echo "Building the program in $build ..."
    if ! cmake --build "$build" -j "$(nproc)" >"$build/run-build.log" 2>&1; then
        cat "$build/run-build.log" >&2
        exit 1
    fi
fi
if [ ! -f "$build/tonvale.exe" ]; then
    echo "There is no $build/tonvale.exe." >&2
    exit 1
fi

export WINEPREFIX
WINEPREFIX=$(realpath -m "${TONVALE_WINEPREFIX:-build/wineprefix}")
export WINEDEBUG=-all
overrides="mscoree,mshtml="  # no offers to install Wine's .NET and HTML add-ons

# A folder of its own: the program reads gm_ins.nms from its current folder,
# and a monitor winmm.dll there must not shadow the system's for anything else.
run_dir=$(mktemp -d "${TMPDIR:-/tmp}/tonvale-run.XXXXXX")
helpers=()  # the virtual screen and the synthesizer
cleanup() {
    trap - EXIT INT TERM HUP
    # Ends the program and every other process of the prefix, and the server.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    for pid in "${helpers[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$run_dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
# Long steps run in the background while this shell waits for them: a shell
# handles a signal only once its foreground command has finished.
in_background() {
    "$@" &
    wait $!
}

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making a Wine prefix in $WINEPREFIX (only this once) ..."
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Without a display, so that Wine shows no window while it sets up.
    in_background env -u DISPLAY WINEDLLOVERRIDES="$overrides" wineboot -i >/dev/null 2>&1
fi

if [ -z "${DISPLAY:-}" ]; then
    install_missing_packages xvfb
    display_file="$run_dir/display"
    # In a session of its own, as the synthesizer: Ctrl+C must not take the
    # screen from under the program; the clean-up ends both.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    helpers+=($!)
    until [ -s "$display_file" ]; do kill -0 "${helpers[-1]}" || exit 1; sleep 0.1; done
    export DISPLAY=":$(cat "$display_file")"
    echo "No display: running on a virtual screen (Xvfb $DISPLAY), where the window cannot be seen. Ctrl+C ends it."
fi

cp "$build/tonvale.exe" "$build/gm_ins.nms" "$run_dir"/
if [ -e /dev/snd/seq ]; then
    install_missing_packages fluidsynth fluid-soundfont-gm alsa-utils
    audio=alsa
    if command -v pactl >/dev/null && pactl info >/dev/null 2>&1; then audio=pulseaudio; fi
    setsid fluidsynth --server --no-shell --audio-driver="$audio" --midi-driver=alsa_seq \
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
    cp "$build/monitor_driver/winmm.dll" "$run_dir"/
    overrides="winmm=n,b;$overrides"
    echo "No ALSA sequencer here: the MIDI monitor prints what the program plays."
fi

cd "$run_dir"
# A fresh folder each run, so the settings are those of the prefix's user.
echo "Settings are kept in $WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Tonvale/tonvale.ini"
# Documents, where takes go, is usually a link to the home folder there.
echo "Takes (F9) go to $(realpath -m "$WINEPREFIX/drive_c/users/$(id -un)/Documents")/Tonvale"
echo "Q row and digits: left section; Z row and home row: right section; Tab switches; OFF quits"
status=0
in_background env WINEDLLOVERRIDES="$overrides" wine tonvale.exe || status=$?
echo "Tonvale ended with exit code $status."
exit "$status"

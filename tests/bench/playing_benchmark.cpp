// What one message costs through the window procedure, with the fake only
// counting its calls: a note, a chord of three notes and of four, a bend
// tick, a knob step and a paint of the whole panel. Measured here only,
// never in a test; the results are in docs/performance.md.
#include "display/panel.h"
#include "display/panel_layout.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

#include <benchmark/benchmark.h>

namespace {

const WPARAM LEFT_BUTTON_HELD = 0x0001; // MK_LBUTTON

void startFresh() {
    fake::reset();
    resetProgramState();
    initSections();
    openPort();
    fake::setCountingOnly(true);
}

// Time per message: each iteration handles `messages` of them.
void countMessages(benchmark::State& state, int messages) {
    state.SetItemsProcessed(state.iterations() * messages);
    state.counters["midi_per_message"] =
        benchmark::Counter((double)fake::count(fake::Fn::midiOutShortMsg) / ((double)state.iterations() * messages));
}

void BM_NoteKeyDownAndUp(benchmark::State& state) {
    startFresh();
    for (auto _ : state) {
        keyPress(scan::Q);
        keyRelease(scan::Q);
    }
    countMessages(state, 2);
}
BENCHMARK(BM_NoteKeyDownAndUp);

void BM_ChordKeyDownAndUp(benchmark::State& state) {
    startFresh();
    g_model.sections[0].values[ParamId::CHORD] = 1;
    for (auto _ : state) {
        keyPress(scan::T);
        keyRelease(scan::T);
    }
    countMessages(state, 2);
}
BENCHMARK(BM_ChordKeyDownAndUp);

// Four notes at once (no strum): a chord's first note-on waits on nothing more.
void BM_SeventhChordKeyDownAndUp(benchmark::State& state) {
    startFresh();
    g_model.sections[0].values[ParamId::CHORD] = ChordType::SEVENTH;
    for (auto _ : state) {
        keyPress(scan::T);
        keyRelease(scan::T);
    }
    countMessages(state, 2);
}
BENCHMARK(BM_SeventhChordKeyDownAndUp);

// A whole Page Up gesture: its key message and the four ticks of its ramp.
void BM_BendGestureTick(benchmark::State& state) {
    startFresh();
    for (auto _ : state) {
        pageUp();
        for (int tick = 0; tick < 4; ++tick) timerTick();
    }
    countMessages(state, 5);
}
BENCHMARK(BM_BendGestureTick);

// A knob drag on Patch, one step and one program change per pointer move.
void BM_KnobStep(benchmark::State& state) {
    startFresh();
    const RECT& knob = knobRect;
    const int x = (knob.left + knob.right) / 2;
    const int y = (knob.top + knob.bottom) / 2;
    MainWndProc(fake::WINDOW, WM_LBUTTONDOWN, LEFT_BUTTON_HELD, fake::pointData(x, y));
    int step = 0;
    for (auto _ : state) {
        MainWndProc(fake::WINDOW, WM_MOUSEMOVE, LEFT_BUTTON_HELD, fake::pointData(x + (++step % 2), y));
    }
    countMessages(state, 1);
}
BENCHMARK(BM_KnobStep);

void BM_WholePanelPaint(benchmark::State& state) {
    startFresh();
    createPanelSurfaces(fake::WINDOW);
    for (auto _ : state) MainWndProc(fake::WINDOW, WM_PAINT, 0, 0);
    countMessages(state, 1);
}
BENCHMARK(BM_WholePanelPaint);

} // namespace

BENCHMARK_MAIN();

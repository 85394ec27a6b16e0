// What one key, chord or timer message costs through the window procedure,
// against the recording fake. Measured here only, never in a test.
#include "model/keys.h"
#include "model/parameters.h"
#include "model/performance.h"
#include "tests/unit/key_messages.h"
#include "tests/unit/program_test.h"

#include <benchmark/benchmark.h>

namespace {

void startFresh() {
    fake::reset();
    resetProgramState();
    initSections();
}

void BM_KeyPressAndRelease(benchmark::State& state) {
    startFresh();
    for (auto _ : state) {
        keyPress(scan::Q);
        keyRelease(scan::Q);
        fake::clearLog();
    }
}
BENCHMARK(BM_KeyPressAndRelease);

void BM_ChordPressAndRelease(benchmark::State& state) {
    startFresh();
    g_model.sections[0].params[ParamId::Chord].value = 1;
    for (auto _ : state) {
        keyPress(scan::T);
        keyRelease(scan::T);
        fake::clearLog();
    }
}
BENCHMARK(BM_ChordPressAndRelease);

void BM_BendTimerTick(benchmark::State& state) {
    startFresh();
    for (auto _ : state) {
        timerTick();
        fake::clearLog();
    }
}
BENCHMARK(BM_BendTimerTick);

} // namespace

BENCHMARK_MAIN();

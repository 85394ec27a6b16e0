#include "tests/unit/program_test.h"

#include "display/panel.h"
#include "model/performance.h"
#include "port/midi_out_port.h"
#include "port/take_recorder.h"

void ProgramTest::SetUp() {
    resetProgramState(); // first: the last test's take writer is done with the fake's files
    fake::reset();
    initSections();
    openPort();
    prepareRecorderSpace(); // as start-up does
    g_panel.handCursor = LoadCursorA(fake::INSTANCE, "HAND");
    fake::clearLog();
}

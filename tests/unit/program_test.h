// The fixture every unit test starts from: the fake cleared, every
// program-wide record back at its start value, the g_model.sections initialised and
// a MIDI device open and a take's first chunk ready, with the log cleared so a test sees only its action.
#pragma once

#include "tests/fake/fake_win32.h"
#include "tests/unit/program_state.h"

#include <gtest/gtest.h>

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
};

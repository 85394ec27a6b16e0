// The fixture every unit test starts from: the fake cleared, every
// program-wide record back at its start value, the g_model.sections initialised and
// a MIDI device open, with the log cleared so a test sees only its action.
#pragma once

#include "tests/fake/fake_win32.h"

#include <gtest/gtest.h>

// Puts every program-wide record back to its start value.
void resetProgramState();

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
};

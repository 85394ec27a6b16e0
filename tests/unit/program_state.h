// Every program-wide record back at its start value: the start of each
// test, property run and fuzz input. A record the program gains is added here.
#pragma once

void resetProgramState();

// Every program-wide record back at its start value: the start of each
// test, property run and fuzz input. A record the program gains is added here.
#pragma once

void resetProgramState();
// The take writer's saves done, each result taken as the window takes it.
void settleTakes();

// Counts the heap allocations made while counting is on, on the thread that
// counts: every form of operator new and of malloc is replaced for the
// whole test executable.
#pragma once

#include <cstddef>

void startCountingAllocations();
// Stops counting and returns how many allocations were made since the start.
size_t stopCountingAllocations();

// The whole program behind the entry point: the process-wide instances and
// the main dialog, run to its end.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// Makes the settings, the Win32 side of each engine seam and the player,
// runs the main dialog from the resources of module `instance` and returns
// its result: 0 after Close, -1 when the window cannot be created.
int runProgram(HINSTANCE instance);

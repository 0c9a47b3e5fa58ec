// The program's entry.
#include "program.h"

// The command line and the show-window request are not used: the program
// always starts with the same defaults, and a dialog shows itself. The
// dialog's result is the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return runProgram(instance); }

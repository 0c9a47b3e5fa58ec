// Chooses the input file implementation for the platform being built.
#pragma once

#ifdef _WIN32
#include "win32/win32_input_file.h"
using PlatformInputFile = Win32InputFile;
#else
#include "posix/posix_input_file.h"
using PlatformInputFile = PosixInputFile;
#endif

// The error message seam: one modal message to the user, with a Win32
// implementation in engine/win32 and a fake beside the tests.
#pragma once

class ErrorMessages {
public:
    virtual ~ErrorMessages() = default;

    // Shows text (in the ANSI code page) under the error caption with an OK
    // button, and returns once the user has dismissed it.
    virtual void show(const char* text) = 0;
};

// The error message seam on Win32: a modal MessageBoxA owned by the main
// window.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "error_messages.h"

class Win32ErrorMessages final : public ErrorMessages {
public:
    // The window that owns the messages; none until the dialog sets it.
    void setOwner(HWND owner) { owner_ = owner; }

    // MessageBoxA with the error caption and MB_OK (no icon).
    void show(const char* text) override;

private:
    HWND owner_ = nullptr;
};

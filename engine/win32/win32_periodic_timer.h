// The periodic timer seam on Win32: the multimedia timer, whose callbacks
// run on a thread of WINMM's.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

#include "periodic_timer.h"

class Win32PeriodicTimer final : public PeriodicTimer {
public:
    Win32PeriodicTimer() = default;
    Win32PeriodicTimer(const Win32PeriodicTimer&) = delete;
    Win32PeriodicTimer& operator=(const Win32PeriodicTimer&) = delete;

    void beginPeriod(std::uint32_t milliseconds) override;
    // One timer at a time: the callback and its context are kept here for
    // the platform's callback to find.
    TimerId start(std::uint32_t periodMs, std::uint32_t resolutionMs, TimerCallback callback,
                  void* context) override;
    void kill(TimerId id) override;
    void endPeriod(std::uint32_t milliseconds) override;

private:
    static void CALLBACK onTimerEvent(UINT id, UINT message, DWORD_PTR user, DWORD_PTR, DWORD_PTR);

    // Set before the timer starts, read only by its callbacks.
    TimerCallback callback_ = nullptr;
    void* context_ = nullptr;
};

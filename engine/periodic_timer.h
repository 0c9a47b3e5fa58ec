// The periodic timer seam: the platform's multimedia timer calls, one method
// per call, with a Win32 implementation in engine/win32 and fakes beside the
// tests.
#pragma once

#include <cstdint>

// Called on the timer's own thread at every period.
using TimerCallback = void (*)(void* context);

// Identifies a running timer; 0 is never a running timer.
using TimerId = std::uint32_t;

class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;

    // Raises the system timer resolution to milliseconds; undone by a
    // matching endPeriod.
    virtual void beginPeriod(std::uint32_t milliseconds) = 0;

    // Starts calling callback(context) every periodMs milliseconds on a
    // thread of the platform's, with the given resolution. Returns the
    // timer's identifier, or 0 if it could not be started.
    virtual TimerId start(std::uint32_t periodMs, std::uint32_t resolutionMs, TimerCallback callback,
                          void* context) = 0;

    // Cancels a timer. Returns only once no callback of it is running any
    // more and none will start: after kill the callback's data may be freed.
    virtual void kill(TimerId id) = 0;

    // Restores the resolution raised by beginPeriod(milliseconds).
    virtual void endPeriod(std::uint32_t milliseconds) = 0;
};

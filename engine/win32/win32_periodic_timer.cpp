// timeSetEvent with TIME_KILL_SYNCHRONOUS: timeKillEvent then waits for a
// callback in progress, which is what lets the caller free the callback's
// data as soon as kill returns.
#include "win32/win32_periodic_timer.h"

void CALLBACK Win32PeriodicTimer::onTimerEvent(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    const auto* timer = reinterpret_cast<const Win32PeriodicTimer*>(user);
    timer->callback_(timer->context_);
}

void Win32PeriodicTimer::beginPeriod(std::uint32_t milliseconds) { timeBeginPeriod(milliseconds); }

TimerId Win32PeriodicTimer::start(std::uint32_t periodMs, std::uint32_t resolutionMs, TimerCallback callback,
                                  void* context) {
    callback_ = callback;
    context_ = context;
    return timeSetEvent(periodMs, resolutionMs, &onTimerEvent, reinterpret_cast<DWORD_PTR>(this),
                        TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
}

void Win32PeriodicTimer::kill(TimerId id) { timeKillEvent(id); }

void Win32PeriodicTimer::endPeriod(std::uint32_t milliseconds) { timeEndPeriod(milliseconds); }

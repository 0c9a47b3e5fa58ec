// The real multimedia timer under Wine or Windows: it fires on a thread of
// its own, and kill waits for a callback in progress.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "win32/win32_periodic_timer.h"

namespace {

struct Ticks {
    std::atomic<int> count{0};
    std::atomic<bool> inside{false};
    std::atomic<DWORD> thread{0};
};

void slowTick(void* context) {
    auto* ticks = static_cast<Ticks*>(context);
    ticks->inside.store(true);
    ticks->thread.store(GetCurrentThreadId());
    // Long enough that kill is very likely to arrive while a tick runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ticks->count.fetch_add(1);
    ticks->inside.store(false);
}

TEST(Win32PeriodicTimer, FiresOnItsOwnThreadAndKillWaitsForTheRunningCallback) {
    Win32PeriodicTimer timer;
    Ticks ticks;
    timer.beginPeriod(1);
    const TimerId id = timer.start(1, 1, &slowTick, &ticks);
    ASSERT_NE(id, 0u);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ticks.inside.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(ticks.inside.load()) << "the timer never fired";
    timer.kill(id);
    EXPECT_FALSE(ticks.inside.load()) << "kill returned while a callback was still running";
    const int afterKill = ticks.count.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ticks.count.load(), afterKill) << "the timer fired after kill";
    timer.endPeriod(1);
    EXPECT_NE(ticks.thread.load(), GetCurrentThreadId());
}

}  // namespace

// Timers for the player's tests. FakeTimer fires only when the test says so;
// ThreadedFakeTimer fires from a thread of its own as fast as it can, like
// the platform's timer thread, for the concurrency tests.
#pragma once

#include <atomic>
#include <thread>

#include "call_log.h"
#include "periodic_timer.h"

class FakeTimer final : public PeriodicTimer {
public:
    explicit FakeTimer(CallLog& log) : log_(log) {}

    void beginPeriod(std::uint32_t milliseconds) override;
    TimerId start(std::uint32_t periodMs, std::uint32_t resolutionMs, TimerCallback callback,
                  void* context) override;
    void kill(TimerId id) override;
    void endPeriod(std::uint32_t milliseconds) override;

    // Calls the callback count times, as the timer thread would, if the
    // timer is running.
    void fire(int count = 1);

    // The next start fails (returns 0).
    bool refuseStart = false;

    bool running() const { return running_; }
    // beginPeriod calls not yet matched by endPeriod.
    int raisedPeriods() const { return raisedPeriods_; }
    std::uint32_t periodMs() const { return periodMs_; }

private:
    CallLog& log_;
    bool running_ = false;
    TimerId id_ = 0;
    TimerId nextId_ = 7;
    std::uint32_t periodMs_ = 0;
    int raisedPeriods_ = 0;
    TimerCallback callback_ = nullptr;
    void* context_ = nullptr;
};

class ThreadedFakeTimer final : public PeriodicTimer {
public:
    ~ThreadedFakeTimer() override;

    void beginPeriod(std::uint32_t) override {}
    TimerId start(std::uint32_t periodMs, std::uint32_t resolutionMs, TimerCallback callback,
                  void* context) override;
    // Joins the thread: returns once no callback runs any more.
    void kill(TimerId id) override;
    void endPeriod(std::uint32_t) override {}

    // Callbacks made so far, over every start.
    long fired() const { return fired_.load(); }

private:
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<long> fired_{0};
};

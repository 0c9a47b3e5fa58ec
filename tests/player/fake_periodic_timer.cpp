#include "fake_periodic_timer.h"

#include <string>

void FakeTimer::beginPeriod(std::uint32_t milliseconds) {
    log_.add("timer.beginPeriod " + std::to_string(milliseconds));
    ++raisedPeriods_;
}

TimerId FakeTimer::start(std::uint32_t periodMs, std::uint32_t, TimerCallback callback, void* context) {
    if (refuseStart) {
        log_.add("timer.start failed");
        return 0;
    }
    log_.add("timer.start");
    running_ = true;
    periodMs_ = periodMs;
    callback_ = callback;
    context_ = context;
    id_ = nextId_++;
    return id_;
}

void FakeTimer::kill(TimerId id) {
    log_.add(id == id_ && running_ ? "timer.kill" : "timer.kill unknown");
    running_ = false;
}

void FakeTimer::endPeriod(std::uint32_t milliseconds) {
    log_.add("timer.endPeriod " + std::to_string(milliseconds));
    --raisedPeriods_;
}

void FakeTimer::fire(int count) {
    for (int i = 0; i < count && running_; ++i) callback_(context_);
}

ThreadedFakeTimer::~ThreadedFakeTimer() { kill(0); }

TimerId ThreadedFakeTimer::start(std::uint32_t, std::uint32_t, TimerCallback callback, void* context) {
    stopping_.store(false);
    thread_ = std::thread([this, callback, context] {
        while (!stopping_.load()) {
            callback(context);
            fired_.fetch_add(1);
            std::this_thread::yield();
        }
    });
    return 1;
}

void ThreadedFakeTimer::kill(TimerId) {
    stopping_.store(true);
    if (thread_.joinable()) thread_.join();
}

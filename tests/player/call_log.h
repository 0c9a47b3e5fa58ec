// One record, in call order, of what the player asked of its collaborators,
// shared by the fakes so a test can check the order across them.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class CallLog {
public:
    void add(std::string call) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
    }

    std::vector<std::string> calls() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};

// Captures the messages the player shows instead of putting up a box.
#pragma once

#include <string>
#include <vector>

#include "call_log.h"
#include "error_messages.h"

class FakeErrorMessages final : public ErrorMessages {
public:
    explicit FakeErrorMessages(CallLog& log) : log_(log) {}

    void show(const char* text) override {
        log_.add("message");
        shown.emplace_back(text);
    }

    std::vector<std::string> shown;

private:
    CallLog& log_;
};

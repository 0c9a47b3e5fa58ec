// The platform's real input file, with its opens and closes recorded, so a
// test sees whether the player left the file open.
#pragma once

#include "call_log.h"
#include "platform_input_file.h"

class RecordingInputFile final : public InputFile {
public:
    explicit RecordingInputFile(CallLog& log) : log_(log) {}

    bool open(const char* path) override {
        const bool opened = file_.open(path);
        log_.add(opened ? "file.open" : "file.open failed");
        isOpen_ = opened;
        return opened;
    }
    void seek(std::uint32_t position) override { file_.seek(position); }
    std::uint32_t read(void* destination, std::uint32_t count) override {
        return file_.read(destination, count);
    }
    void close() override {
        log_.add("file.close");
        isOpen_ = false;
        file_.close();
    }

    // Written by the calls above; read by the test while the player is
    // closed.
    bool isOpen() const { return isOpen_; }

private:
    CallLog& log_;
    PlatformInputFile file_;
    bool isOpen_ = false;
};

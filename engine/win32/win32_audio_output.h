// The audio output seam on Win32: the system's default waveform output
// (WAVE_MAPPER), opened without notifications and polled for its position.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

#include "audio_output.h"

class Win32AudioOutput final : public AudioOutput {
public:
    Win32AudioOutput() = default;
    Win32AudioOutput(const Win32AudioOutput&) = delete;
    Win32AudioOutput& operator=(const Win32AudioOutput&) = delete;

    bool open(const PcmFormat& format) override;
    bool prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) override;
    bool write(std::uint32_t slot) override;
    bool pause() override;
    bool reset() override;
    bool restart() override;
    bool getPosition(DevicePosition& position) override;
    bool unprepare(std::uint32_t slot) override;
    bool close() override;

private:
    // The header of a slot, or null for a slot out of range.
    WAVEHDR* header(std::uint32_t slot);

    HWAVEOUT device_ = nullptr;
    // One header per slot, in place from prepare to unprepare as the
    // platform requires.
    WAVEHDR headers_[kBufferSlots] = {};
};

// The audio output seam: the waveform-output calls the player makes, one
// method per call, with a Win32 implementation in engine/win32 and a fake
// beside the tests. It translates and decides nothing: which call is made
// when, and what a failure means, is the player's business.
#pragma once

#include <cstdint>

// A plain PCM format, field for field what the platform's format record
// carries (the same names without their type prefixes).
struct PcmFormat {
    std::uint16_t formatTag = 1;  // 1: plain PCM
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;  // bytes of format data after these fields
};

// The unit in which the device answered a position query.
enum class PositionUnit { Samples, Bytes, Milliseconds, Other };

// A device position as the device gave it: value counts units since the
// last reset, modulo 2^32.
struct DevicePosition {
    PositionUnit unit = PositionUnit::Samples;
    std::uint32_t value = 0;
};

class AudioOutput {
public:
    // The device keeps one header per buffer slot, 0 to kBufferSlots - 1.
    static constexpr std::uint32_t kBufferSlots = 4;

    virtual ~AudioOutput() = default;

    // Opens the system's default output for format, without notifications
    // (the caller polls the position). False if the device does not take
    // the format or there is no device.
    virtual bool open(const PcmFormat& format) = 0;

    // Makes length bytes at data submittable as buffer slot. The memory must
    // stay in place until the slot is unprepared.
    virtual bool prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) = 0;

    // Queues a prepared slot behind those already queued; the device reads
    // its bytes as it plays them. False when the device refuses it.
    virtual bool write(std::uint32_t slot) = 0;

    // Halts output, keeping what is queued.
    virtual bool pause() = 0;

    // Drops everything queued and sets the position back to 0.
    virtual bool reset() = 0;

    // Resumes output after a pause.
    virtual bool restart() = 0;

    // Asks for the position in samples (frames). The device may answer in
    // another unit, which position reports. False if the query failed;
    // position is then left as it was.
    virtual bool getPosition(DevicePosition& position) = 0;

    // Releases a prepared slot.
    virtual bool unprepare(std::uint32_t slot) = 0;

    // Closes the device.
    virtual bool close() = 0;
};

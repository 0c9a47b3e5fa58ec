// An ideal output device for the player's tests. It plays nothing: it keeps
// the bytes of every buffer submitted since the last reset, in submission
// order, and reports the position the test sets. It can be told to refuse
// opening, refuse buffers, fail position queries or answer in another unit.
// It also watches for misuse and lists it in faults(): a call on a closed
// device, a write of a slot not prepared, and above all a buffer whose bytes
// change while the device still holds it (checked when the position passes
// the buffer's end, and at a reset).
// Every method may be called from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audio_output.h"
#include "call_log.h"

class FakeAudioOutput final : public AudioOutput {
public:
    explicit FakeAudioOutput(CallLog* log = nullptr) : log_(log) {}

    bool open(const PcmFormat& format) override;
    bool prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) override;
    bool write(std::uint32_t slot) override;
    bool pause() override;
    bool reset() override;
    bool restart() override;
    bool getPosition(DevicePosition& position) override;
    bool unprepare(std::uint32_t slot) override;
    bool close() override;

    // --- What the test makes the device do.
    void refuseOpen(bool refuse);
    // The next count writes are refused.
    void refuseWrites(int count);
    void failPositionQueries(bool fail);
    // Moves the play position to frames since the last reset (kept as a
    // 64-bit count; answers wrap at 2^32 in their unit).
    void setPosition(std::uint64_t frames);
    // Answers position queries in this unit: frames are turned into bytes
    // with the block align, into milliseconds with the rate; Other answers 0.
    void answerIn(PositionUnit unit);
    // Answers the next queries with exactly this raw value in the answer's
    // unit, ignoring the position.
    void setRawAnswer(std::uint32_t value);
    // Each successful query first moves the position on by this many frames,
    // never past the frames submitted: a device that plays by itself.
    void advanceOnQuery(std::uint32_t frames);
    // Whether the bytes of submitted buffers are kept (off for runs of
    // millions of buffers).
    void keepBytes(bool keep);

    // --- What the test observes.
    bool isOpen() const;
    int openCount() const;
    PcmFormat format() const;
    std::uint64_t position() const;
    // Frames submitted since the last reset.
    std::uint64_t submittedFrames() const;
    // Buffers submitted since the last reset.
    std::size_t submissionCount() const;
    // The bytes of submission i since the last reset.
    std::vector<std::uint8_t> submission(std::size_t i) const;
    // The slot used by submission i since the last reset.
    std::uint32_t submissionSlot(std::size_t i) const;
    // Everything submitted since the last reset, back to back: what the
    // device plays.
    std::vector<std::uint8_t> stream() const;
    std::uint32_t preparedLength(std::uint32_t slot) const;
    bool anyPrepared() const;
    std::vector<std::string> faults() const;

private:
    struct Slot {
        std::uint8_t* data = nullptr;
        std::uint32_t length = 0;
        bool prepared = false;
    };
    struct Submission {
        std::uint32_t slot;
        std::uint64_t endFrame;  // the position at which the device is done with it
        std::vector<std::uint8_t> bytes;
        bool done;
    };

    void log(const std::string& call);
    void fault(const std::string& what);
    bool checkOpen(const char* call);
    // Checks that buffers the position has passed were left alone while held.
    void retirePlayed();
    void checkUnchanged(std::size_t index);
    std::uint64_t framesOf(std::uint32_t length) const;

    mutable std::mutex mutex_;
    CallLog* log_;

    bool refuseOpen_ = false;
    int refuseWrites_ = 0;
    bool failQueries_ = false;
    PositionUnit unit_ = PositionUnit::Samples;
    bool rawAnswer_ = false;
    std::uint32_t rawValue_ = 0;
    std::uint32_t advanceOnQuery_ = 0;
    bool keepBytes_ = true;

    bool open_ = false;
    int openCount_ = 0;
    PcmFormat format_;
    Slot slots_[kBufferSlots];
    std::uint64_t position_ = 0;
    std::uint64_t submittedFrames_ = 0;
    std::size_t submissionCount_ = 0;
    std::vector<Submission> submissions_;
    std::size_t firstHeld_ = 0;  // submissions before it are done
    std::vector<std::string> faults_;
};

// The one playback in progress: keeps the default audio output fed with the
// input file in playback order, from a 1 ms periodic timer.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "audio_output.h"
#include "buffer_production.h"
#include "error_messages.h"
#include "input_file.h"
#include "periodic_timer.h"
#include "playback_settings.h"
#include "source_reader.h"

// Lifecycle: Closed -> open() -> Open, idle (the timer fires, ticks do
// nothing) -> prime() -> Playing -> stop() -> Closed. A failed open leaves
// it Closed. Playing has no end of its own: without a loop the file is
// followed by zero bytes, with one the loop repeats.
//
// Threads: open, prime, stop and isOpen belong to one thread (the dialog's);
// tick runs on the timer's thread. They share no lock: running hands the
// state over. open clears it before the timer starts, prime sets it once the
// ring, the counters and the device are in place, stop clears it first and
// releases nothing until the timer's kill has returned, after which no tick
// runs any more.
//
// Pacing: ring buffers of F = framesPerBuffer frames go out whenever fewer
// than 2F frames are queued ahead of the device's position, so 2F to 3F stay
// queued. prime queues two lead-in buffers (what zero bytes of the file
// give); the first tick that sees progress submits a third, and the file is
// heard from device frame 3F on.
class StreamPlayer {
public:
    // The settings are read at open, as normalised; the caller changes them
    // only while the player is closed. The seams must outlive the player.
    StreamPlayer(const PlaybackSettings& settings, InputFile& file, AudioOutput& device, PeriodicTimer& timer,
                 ErrorMessages& messages);

    // Stops a playback still in progress.
    ~StreamPlayer();

    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    // Acquires, in this order, the file, the device, the ring and the staging
    // area, prepares the four buffers and starts the 1 ms timer. False
    // without a message when already open. Otherwise false after one message
    // when something cannot be had, having released what it acquired:
    //  - the file cannot be opened: kTextFileCannotOpen; the device is never
    //    opened;
    //  - the device refuses the format, or the format cannot be described
    //    (a width that is not a whole number of bytes, a byte rate above 32
    //    bits, a channel count, width or frame size above 16 bits):
    //    kTextDeviceUnsupported;
    //  - the ring or the staging area cannot be allocated, or their sizes
    //    cannot be had at all (PlaybackSettings::sizesFit):
    //    kTextMemoryUnavailable;
    //  - the timer cannot be started: kTextTimerCannotStart.
    bool open(const char* path);

    // Queues two lead-in buffers with the device paused, then lets it run,
    // and enables the ticks. No effect unless open.
    void prime();

    // The timer's work, every millisecond: when fewer than two buffers are
    // queued ahead of the position, submits the buffer filled last time and
    // fills the next one from the file. Does nothing unless playing, nothing
    // when the position query fails, and nothing but retry later when the
    // device refuses the buffer. The pacing compares the queued frames and
    // the position as a difference, so it holds across their 2^32 wrap.
    void tick();

    // Stops the timer (waiting for a running tick), resets and closes the
    // device, closes the file and frees the buffers. No effect unless open.
    void stop();

    // The device's position in frames since the last prime, modulo 2^32; 0
    // when the query fails. An answer in bytes is divided by the frame size,
    // one in milliseconds converted with the sample rate (both followed across
    // their own 32-bit wrap); any other unit counts as no progress. Called by
    // the tick; from another thread only while not playing.
    std::uint32_t playedFrames();

    // True from a successful open to the next stop.
    bool isOpen() const { return playerOpen_; }

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* memory) const { std::free(memory); }
    };
    using Memory = std::unique_ptr<std::uint8_t[], FreeDeleter>;

    static void onTimer(void* context);

    // The position query behind playedFrames: false when it failed.
    bool queryPlayedFrames(std::uint32_t& frames);
    // Start of ring buffer index (0 to 3).
    std::uint8_t* buffer(std::uint32_t index) const { return ring_.get() + bufferStart_[index]; }
    // Forgets the position followed so far: the device counts from 0 again.
    void resetPosition();
    // Resets the device, unprepares the four buffers and closes it.
    void releaseDevice();

    // The collaborators, fixed for the player's life.
    const PlaybackSettings& settings_;
    SourceReader reader_;
    AudioOutput& device_;
    PeriodicTimer& timer_;
    ErrorMessages& messages_;

    // Dialog's thread only.
    bool playerOpen_ = false;
    TimerId timerId_ = 0;

    // The hand-over between the threads (see the class comment).
    std::atomic<bool> running_{false};

    // Fixed at open, before the timer starts; read by the tick.
    BufferLayout layout_;
    std::uint64_t bufferStart_[AudioOutput::kBufferSlots + 1] = {};  // [4]: the ring's end
    PcmFormat format_;
    Memory ring_;     // four buffers back to back, one allocation
    Memory staging_;  // raw file bytes for one buffer, plus a zero tail

    // Written by prime while the ticks idle, then only by the tick.
    std::uint32_t nextIndex_ = 0;     // the ring buffer to submit next, 0 to 3
    std::uint32_t queuedFrames_ = 0;  // frames submitted since prime, modulo 2^32
    // The position last reported in frames, kept when the device answers in
    // a unit that tells nothing; and a position answered in bytes or
    // milliseconds, followed past its wrap: the unit, the last raw answer and
    // the total since prime in that unit.
    std::uint32_t playedFrames_ = 0;
    PositionUnit positionUnit_ = PositionUnit::Samples;
    std::uint32_t lastPositionValue_ = 0;
    std::uint64_t positionTotal_ = 0;
};

#include "stream_player.h"

#include <cstring>
#include <limits>

#include "frame_conversion.h"
#include "interface_texts.h"

namespace {

constexpr std::uint32_t kTimerPeriodMs = 1;
constexpr std::uint32_t kLeadInBuffers = 2;

// Allocates size bytes filled with zeros; null when they cannot be had.
// calloc never throws, and a size of 0 still yields a block to free.
std::uint8_t* allocateZeroed(std::uint64_t size) {
    return static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(size ? size : 1), 1));
}

template <typename Narrow>
bool fits(std::uint64_t value) {
    return value <= std::numeric_limits<Narrow>::max();
}

}  // namespace

StreamPlayer::StreamPlayer(const PlaybackSettings& settings, InputFile& file, AudioOutput& device,
                           PeriodicTimer& timer, ErrorMessages& messages)
    : settings_(settings), reader_(file), device_(device), timer_(timer), messages_(messages) {}

StreamPlayer::~StreamPlayer() { stop(); }

bool StreamPlayer::open(const char* path) {
    if (playerOpen_) return false;

    const PlaybackSettings& s = settings_;
    // The buffer sizes are read here; the 32-bit ones are used only once the
    // sizes are known to fit.
    layout_ = BufferLayout::of(s);
    reader_.cursor = s.offset;
    reader_.loopStart = s.loopStart;
    reader_.loopEnd = s.loopEnd;

    if (!reader_.open(path)) {
        messages_.show(kTextFileCannotOpen);
        return false;
    }

    // The format record holds the byte rate in 32 bits and the channel
    // count, width and frame size in 16: a format that does not fit cannot
    // be put to the device without being silently changed.
    const std::uint64_t frameBytes = s.frameBytes();
    // Widths that are not whole bytes have no packed frame layout.
    const bool describable = s.bitsPerSample % 8 == 0 && fits<std::uint16_t>(s.channels) &&
                             fits<std::uint16_t>(s.bitsPerSample) && fits<std::uint16_t>(frameBytes) &&
                             fits<std::uint32_t>(s.byteRate());
    if (describable) {
        format_ = PcmFormat{};
        format_.channels = static_cast<std::uint16_t>(s.channels);
        format_.samplesPerSec = s.sampleRate;
        format_.avgBytesPerSec = static_cast<std::uint32_t>(s.byteRate());
        format_.blockAlign = static_cast<std::uint16_t>(frameBytes);
        format_.bitsPerSample = static_cast<std::uint16_t>(s.bitsPerSample);
    }
    if (!describable || !device_.open(format_)) {
        messages_.show(kTextDeviceUnsupported);
        reader_.close();
        return false;
    }

    // Sizes beyond what can be allocated are refused rather than wrapped
    // into a smaller allocation that the tick would overrun.
    if (s.sizesFit()) ring_.reset(allocateZeroed(s.ringBytes()));
    if (ring_) staging_.reset(allocateZeroed(s.stagingAllocationBytes()));
    if (!ring_ || !staging_) {
        messages_.show(kTextMemoryUnavailable);
        device_.close();
        reader_.close();
        ring_.reset();
        staging_.reset();
        return false;
    }

    for (std::uint32_t i = 0; i <= AudioOutput::kBufferSlots; ++i) bufferStart_[i] = s.bufferStart(i);

    device_.pause();
    device_.reset();
    const auto bufferBytes = static_cast<std::uint32_t>(s.bufferBytes());
    for (std::uint32_t i = 0; i < AudioOutput::kBufferSlots; ++i) device_.prepare(i, buffer(i), bufferBytes);

    queuedFrames_ = 0;
    nextIndex_ = 0;
    resetPosition();
    running_.store(false);

    timer_.beginPeriod(kTimerPeriodMs);
    timerId_ = timer_.start(kTimerPeriodMs, kTimerPeriodMs, &StreamPlayer::onTimer, this);
    if (timerId_ == 0) {
        // Without ticks the playback would hang after the lead-in.
        timer_.endPeriod(kTimerPeriodMs);
        releaseDevice();
        reader_.close();
        ring_.reset();
        staging_.reset();
        messages_.show(kTextTimerCannotStart);
        return false;
    }

    playerOpen_ = true;
    return true;
}

void StreamPlayer::prime() {
    if (!playerOpen_) return;

    // Every buffer holds what an all-zero stretch of the file gives.
    std::memset(ring_.get(), 0, static_cast<std::size_t>(bufferStart_[AudioOutput::kBufferSlots]));
    if (layout_.unsignedSamples) {
        flipSampleSign(ring_.get(), layout_.channels * layout_.framesPerBuffer * AudioOutput::kBufferSlots,
                       layout_.bytesPerSample);
    }

    queuedFrames_ = kLeadInBuffers * layout_.framesPerBuffer;
    nextIndex_ = kLeadInBuffers;
    // The reset below sets the position back to 0.
    resetPosition();

    // Both lead-in buffers are queued before the device is let go.
    device_.pause();
    device_.reset();
    device_.write(0);
    device_.write(1);
    device_.restart();

    running_.store(true, std::memory_order_release);
}

void StreamPlayer::onTimer(void* context) { static_cast<StreamPlayer*>(context)->tick(); }

void StreamPlayer::tick() {
    if (!running_.load(std::memory_order_acquire)) return;

    std::uint32_t played = 0;
    if (!queryPlayedFrames(played)) return;
    // Both counts wrap at 2^32; their difference stays meaningful because
    // fewer than 2^31 frames are ever queued ahead (3F <= 3 x 2^28).
    const auto ahead = static_cast<std::int32_t>(queuedFrames_ - played);
    if (ahead >= static_cast<std::int32_t>(kLeadInBuffers * layout_.framesPerBuffer)) return;

    if (!device_.write(nextIndex_)) return;  // retried by a later tick
    nextIndex_ = (nextIndex_ + 1) & (AudioOutput::kBufferSlots - 1);
    queuedFrames_ += layout_.framesPerBuffer;

    // The buffer filled now went out three submissions ago (or never), and
    // the pacing above means the device has finished playing it.
    produceBuffer(reader_, staging_.get(), buffer(nextIndex_), layout_);
}

void StreamPlayer::stop() {
    if (!playerOpen_) return;

    running_.store(false, std::memory_order_release);
    // kill returns only once no tick runs any more: from here on this thread
    // alone touches the device, the file and the memory.
    timer_.kill(timerId_);
    timerId_ = 0;
    timer_.endPeriod(kTimerPeriodMs);

    releaseDevice();
    reader_.close();
    ring_.reset();
    staging_.reset();

    playerOpen_ = false;
}

void StreamPlayer::releaseDevice() {
    device_.pause();
    device_.reset();
    for (std::uint32_t i = 0; i < AudioOutput::kBufferSlots; ++i) device_.unprepare(i);
    device_.close();
}

void StreamPlayer::resetPosition() {
    playedFrames_ = 0;
    positionUnit_ = PositionUnit::Samples;
    lastPositionValue_ = 0;
    positionTotal_ = 0;
}

std::uint32_t StreamPlayer::playedFrames() {
    std::uint32_t frames = 0;
    return queryPlayedFrames(frames) ? frames : 0;
}

bool StreamPlayer::queryPlayedFrames(std::uint32_t& frames) {
    DevicePosition position;
    if (!device_.getPosition(position)) return false;

    switch (position.unit) {
        case PositionUnit::Samples: playedFrames_ = position.value; break;
        case PositionUnit::Bytes:
        case PositionUnit::Milliseconds: {
            // These counts wrap long before the frame count does: follow them
            // through their own wrap so the frames stay continuous modulo 2^32.
            if (position.unit != positionUnit_) {
                positionUnit_ = position.unit;
                lastPositionValue_ = 0;
                positionTotal_ = 0;
            }
            positionTotal_ += static_cast<std::uint32_t>(position.value - lastPositionValue_);
            lastPositionValue_ = position.value;
            std::uint64_t total = 0;
            if (position.unit == PositionUnit::Bytes) {
                if (format_.blockAlign) total = positionTotal_ / format_.blockAlign;
            } else {
                const std::uint64_t rate = format_.samplesPerSec;
                total = positionTotal_ / 1000 * rate + positionTotal_ % 1000 * rate / 1000;
            }
            playedFrames_ = static_cast<std::uint32_t>(total);
            break;
        }
        case PositionUnit::Other: break;  // no progress
    }
    frames = playedFrames_;
    return true;
}

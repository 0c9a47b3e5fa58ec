#include "stream_check.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <sstream>
#include <vector>

#include "call_log.h"
#include "fake_audio_output.h"
#include "fake_error_messages.h"
#include "fake_periodic_timer.h"
#include "interface_texts.h"
#include "platform_input_file.h"
#include "stream_player.h"
#include "support/reference_stream.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint32_t word(const std::uint8_t* data, std::size_t size, std::size_t index) {
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < 4; ++b) {
        const std::size_t at = index * 4 + b;
        if (at < size) value |= std::uint32_t{data[at]} << (8 * b);
    }
    return value;
}

// Products that stick at the largest value instead of wrapping, so that the
// expectations below hold for every input whatever its size.
std::uint64_t times(std::uint64_t a, std::uint64_t b) { return a != 0 && b > kMax / a ? kMax : a * b; }

// What the player has to make of the settings, worked out here on its own
// from the sizes rather than taken from the engine's helpers.
struct Verdict {
    const char* message;  // the refusal expected, or nullptr when it plays
    bool affordable;      // small enough for the fuzzer to play
};

Verdict judge(const PlaybackSettings& s) {
    const std::uint64_t frames = s.framesPerBuffer();
    const std::uint64_t frameBits = times(s.bitsPerSample, s.channels);
    const std::uint64_t frameBytes = frameBits / 8;
    const std::uint64_t byteRate = times(frameBits, s.sampleRate) / 8;
    constexpr std::uint64_t k16 = 0xFFFF, k32 = 0xFFFFFFFF;
    // A width that is not a whole number of bytes has no packed frame
    // layout; the format record carries channels, width and frame size in
    // 16 bits and the byte rate in 32.
    if (s.bitsPerSample % 8 != 0 || s.channels > k16 || s.bitsPerSample > k16 || frameBytes > k16 ||
        byteRate > k32)
        return {kTextDeviceUnsupported, false};

    const std::uint64_t ring = times(times(frameBits, frames), 4) / 8;
    const std::uint64_t overhang = s.blockSize < frameBytes ? frameBytes - s.blockSize : 0;
    const std::uint64_t staging = times(s.blockSize, frames) + overhang;
    const std::uint64_t largest = std::min<std::uint64_t>(k32, std::numeric_limits<std::size_t>::max());
    if (ring > largest || staging > largest) return {kTextMemoryUnavailable, false};
    return {nullptr, ring + staging + frames <= kStreamCheckBudget};
}

std::string describe(const PlaybackSettings& s) {
    std::ostringstream out;
    out << "(" << s.channels << " channels, " << s.sampleRate << " Hz, " << s.bitsPerSample
        << " bits, offset " << s.offset << ", loop " << s.loopStart << " to " << s.loopEnd << ", block "
        << s.blockSize << (s.unsignedSamples ? ", unsigned" : "") << ")";
    return out.str();
}

std::string firstDifference(const Bytes& heard, const Bytes& expected) {
    if (heard.size() != expected.size()) {
        return "holds " + std::to_string(heard.size()) + " bytes instead of " +
               std::to_string(expected.size());
    }
    const auto at = std::mismatch(heard.begin(), heard.end(), expected.begin());
    if (at.first == heard.end()) return "";
    std::ostringstream out;
    out << "differs first at byte " << (at.first - heard.begin()) << ": " << int{*at.first} << " instead of "
        << int{*at.second};
    return out.str();
}

}  // namespace

std::string checkStream(const std::uint8_t* data, std::size_t size) {
    PlaybackSettings settings;
    settings.channels = word(data, size, 0);
    settings.sampleRate = word(data, size, 1);
    settings.bitsPerSample = word(data, size, 2);
    settings.offset = word(data, size, 3);
    settings.loopStart = word(data, size, 4);
    settings.loopEnd = word(data, size, 5);
    settings.blockSize = word(data, size, 6);
    const std::uint32_t control = word(data, size, 7);
    settings.unsignedSamples = (control & 1) != 0;
    const std::size_t fileBuffers = 1 + ((control >> 1) & 3);
    const bool refuseOnce = (control & 8) != 0;
    normalizeSettings(settings);

    const Verdict verdict = judge(settings);
    if (verdict.message == nullptr && !verdict.affordable) return "";
    const std::string what = describe(settings);

    const Bytes fileBytes(data + std::min(size, kStreamCheckHeaderBytes), data + size);
    const TempFile temp(fileBytes);
    PlatformInputFile file;
    CallLog log;
    FakeAudioOutput device;
    FakeTimer timer(log);
    FakeErrorMessages messages(log);
    StreamPlayer player(settings, file, device, timer, messages);
    // Empty buffers (no channels, or a width of 0) have no bytes to
    // keep or to watch for changes.
    if (settings.bufferBytes() == 0) device.keepBytes(false);

    const bool opened = player.open(temp.path());
    if (verdict.message != nullptr) {
        if (opened) return "settings that cannot be had were played " + what;
        if (messages.shown != std::vector<std::string>{verdict.message})
            return "settings that cannot be had were refused with the wrong message " + what;
        if (device.isOpen() || timer.running())
            return "a refused start left the device or timer running " + what;
        return "";
    }
    if (!opened) return "playable settings were refused " + what;
    if (!messages.shown.empty()) return "a successful start showed a message " + what;

    const PcmFormat format = device.format();
    if (format.channels != settings.channels || format.samplesPerSec != settings.sampleRate ||
        format.bitsPerSample != settings.bitsPerSample || format.blockAlign != settings.frameBytes() ||
        format.avgBytesPerSec != settings.byteRate())
        return "the device was opened with the wrong format " + what;

    player.prime();
    const std::uint64_t frames = settings.framesPerBuffer();
    timer.fire();
    if (device.submissionCount() != 2)
        return "a buffer went out before the device had played anything " + what;

    // Each round plays the device to one frame past two buffers short of
    // what was submitted, which is when the tick must submit the next one.
    const std::size_t wanted = 3 + fileBuffers;
    bool refused = false;
    for (int rounds = 0; device.submissionCount() < wanted && rounds < 2 * static_cast<int>(wanted);
         ++rounds) {
        if (refuseOnce && !refused && device.submissionCount() == 3) {
            device.refuseWrites(1);
            refused = true;
        }
        device.setPosition(device.submissionCount() * frames - 2 * frames + 1);
        timer.fire();
    }
    if (device.submissionCount() != wanted)
        return "the device got " + std::to_string(device.submissionCount()) + " buffers instead of " +
               std::to_string(wanted) + " " + what;

    ReferenceStream model(fileBytes, settings);
    const Bytes leadIn = model.leadInBuffer();
    for (std::size_t i = 0; i < wanted; ++i) {
        const std::string difference =
            firstDifference(device.submission(i), i < 3 ? leadIn : model.nextBuffer());
        if (!difference.empty()) {
            const std::string name =
                i < 3 ? "lead-in buffer " + std::to_string(i + 1) : "file buffer " + std::to_string(i - 2);
            return name + " " + difference + " " + what;
        }
    }

    player.stop();
    if (device.isOpen() || timer.running() || timer.raisedPeriods() != 0)
        return "stop left the device or the timer running " + what;
    const std::vector<std::string> faults = device.faults();
    if (!faults.empty()) return "the device saw misuse: " + faults.front() + " " + what;
    return "";
}

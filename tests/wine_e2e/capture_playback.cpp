// End-to-end check of playback through the real Win32 layer: plays a
// generated file with the stream player to the default output, stops once
// the device has played well past the start of the file, then compares the
// bytes that reached the output (captured by the audio system into a file)
// with the expected stream: three lead-in buffers, then the file in playback
// order.
//
//   capture_playback FORMAT CAPTURE-PATH     e.g. s16-2ch-44100
//
// The captured stream may carry runs of silent frames that the audio system
// inserted when its own buffer ran dry: those are skipped. Anything else
// that differs fails the check.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform_input_file.h"
#include "stream_player.h"
#include "support/reference_stream.h"
#include "support/temp_file.h"
#include "win32/win32_audio_output.h"
#include "win32/win32_periodic_timer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The format to play, named like "s16-2ch-44100": s or u (the box that
// flips sample signs clear or set), the width, the channel count, the rate.
struct CaptureCase {
    std::string name;
    std::uint32_t bitsPerSample = 0;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    bool unsignedSamples = false;
};

// Reads a decimal number at text[at], advancing at; false if there is none.
bool readNumber(const std::string& text, std::size_t& at, std::uint32_t& value) {
    const std::size_t start = at;
    std::uint64_t number = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && number <= 0xFFFFFFFFu) {
        number = number * 10 + static_cast<std::uint64_t>(text[at] - '0');
        ++at;
    }
    value = static_cast<std::uint32_t>(number);
    return at > start && number <= 0xFFFFFFFFu;
}

bool parseCase(const std::string& name, CaptureCase& c) {
    if (name.empty() || (name[0] != 's' && name[0] != 'u')) return false;
    c.name = name;
    c.unsignedSamples = name[0] == 'u';
    std::size_t at = 1;
    if (!readNumber(name, at, c.bitsPerSample) || name.compare(at, 1, "-") != 0) return false;
    ++at;
    if (!readNumber(name, at, c.channels) || name.compare(at, 3, "ch-") != 0) return false;
    at += 3;
    return readNumber(name, at, c.sampleRate) && at == name.size();
}

// The device as the player uses it, with the last position it reported
// kept for the main thread, which waits on it.
class ObservedOutput final : public AudioOutput {
public:
    bool open(const PcmFormat& format) override { return device_.open(format); }
    bool prepare(std::uint32_t slot, std::uint8_t* data, std::uint32_t length) override {
        return device_.prepare(slot, data, length);
    }
    bool write(std::uint32_t slot) override { return device_.write(slot); }
    bool pause() override { return device_.pause(); }
    bool reset() override { return device_.reset(); }
    bool restart() override { return device_.restart(); }
    bool getPosition(DevicePosition& position) override {
        const bool answered = device_.getPosition(position);
        if (answered && position.unit == PositionUnit::Samples) played.store(position.value);
        return answered;
    }
    bool unprepare(std::uint32_t slot) override { return device_.unprepare(slot); }
    bool close() override { return device_.close(); }

    std::atomic<std::uint32_t> played{0};

private:
    Win32AudioOutput device_;
};

// Start failures go to the test's output instead of a message box.
class PrintedMessages final : public ErrorMessages {
public:
    void show(const char* text) override {
        std::fprintf(stderr, "the player reported a start failure (%s)\n", text);
    }
};

// The silent frame the audio system inserts: the midpoint of its samples.
bool isSilentFrame(const std::uint8_t* frame, std::size_t frameBytes, std::uint32_t bits) {
    const std::uint8_t silence = bits == 8 ? 0x80 : 0x00;
    for (std::size_t i = 0; i < frameBytes; ++i) {
        if (frame[i] != silence) return false;
    }
    return true;
}

// Walks the capture against the expected stream frame by frame: equal
// frames match, a silent frame that does not match was inserted. Matching
// the earliest equal frame is always right, since an inserted silent frame
// and an expected one can trade places. Returns the expected frames matched,
// or -1 after printing where the capture went wrong.
long long matchCapture(const Bytes& capture, const Bytes& expected, std::size_t frameBytes,
                       std::uint32_t bits, long long& inserted) {
    std::size_t c = 0;
    std::size_t e = 0;
    inserted = 0;
    while (c + frameBytes <= capture.size() && e + frameBytes <= expected.size()) {
        if (std::memcmp(&capture[c], &expected[e], frameBytes) == 0) {
            e += frameBytes;
        } else if (isSilentFrame(&capture[c], frameBytes, bits)) {
            ++inserted;
        } else {
            std::fprintf(stderr, "captured frame %zu is not expected frame %zu\n", c / frameBytes,
                         e / frameBytes);
            return -1;
        }
        c += frameBytes;
    }
    return static_cast<long long>(e / frameBytes);
}

int run(const CaptureCase& c, const char* capturePath) {
    PlaybackSettings settings;
    settings.bitsPerSample = c.bitsPerSample;
    settings.channels = c.channels;
    settings.sampleRate = c.sampleRate;
    settings.unsignedSamples = c.unsignedSamples;
    const std::uint32_t f = settings.framesPerBuffer();
    const auto frameBytes = static_cast<std::uint32_t>(settings.frameBytes());
    // A file of two and a half buffers, an offset, and a loop back to well
    // inside it: the capture shows the offset, the loop end and the wrap.
    const Bytes fileBytes = patternBytes(std::size_t{f} * frameBytes * 5 / 2, c.sampleRate);
    settings.offset = 3 * frameBytes;
    settings.loopStart = f * frameBytes / 2 + 1;
    settings.loopEnd = static_cast<std::uint32_t>(fileBytes.size() - frameBytes);
    normalizeSettings(settings);
    TempFile input(fileBytes);

    // The file's frames that must have been heard: one whole pass to the
    // loop end and a good part of the next.
    const std::uint32_t required = 3 * f + 4 * f;
    const std::uint32_t stopAt = required + 5 * f;

    PlatformInputFile file;
    ObservedOutput device;
    Win32PeriodicTimer timer;
    PrintedMessages messages;
    StreamPlayer player(settings, file, device, timer, messages);
    if (!player.open(input.path())) return 2;
    player.prime();
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + std::chrono::seconds(90);
    while (device.played.load() < stopAt && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::uint32_t played = device.played.load();
    player.stop();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s: the device reported %u frames in %.2f s (%u wanted)\n", c.name.c_str(), played, seconds,
                stopAt);
    if (played < stopAt) {
        std::fprintf(stderr, "the device did not play far enough in time\n");
        return 1;
    }

    std::ifstream in(capturePath, std::ios::binary);
    const Bytes capture((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ReferenceStream reference(fileBytes, settings);
    Bytes expected;
    while (expected.size() < capture.size() + std::size_t{4} * f * frameBytes) {
        const Bytes buffer = expected.size() < std::size_t{3} * f * frameBytes ? reference.leadInBuffer()
                                                                               : reference.nextBuffer();
        expected.insert(expected.end(), buffer.begin(), buffer.end());
    }
    long long inserted = 0;
    const long long matched = matchCapture(capture, expected, frameBytes, c.bitsPerSample, inserted);
    std::printf("%s: captured %zu frames: %lld as expected, %lld inserted silent frames\n", c.name.c_str(),
                capture.size() / frameBytes, matched, inserted);
    if (matched < 0) return 1;
    if (matched < required) {
        std::fprintf(stderr, "the capture ends after %lld expected frames, %u wanted\n", matched, required);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: capture_playback FORMAT CAPTURE-PATH\n");
        return 2;
    }
    CaptureCase c;
    if (!parseCase(argv[1], c)) {
        std::fprintf(stderr, "%s does not name a format\n", argv[1]);
        return 2;
    }
    return run(c, argv[2]);
}

// What the player hands the device after the lead-in, for settings without a
// loop, against SoX's conversion of the same file to the device's form: SoX
// reads the file as the declared layout (its own channel count, width and
// encoding), skips to the offset with trim, keeps the leading channels with
// remix and writes raw signed samples (unsigned at 8 bits, the device's 8-bit
// form). Two programs written apart must agree byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "call_log.h"
#include "fake_audio_output.h"
#include "fake_error_messages.h"
#include "fake_periodic_timer.h"
#include "platform_input_file.h"
#include "stream_player.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SoxCase {
    const char* name;
    std::uint32_t fileChannels;  // channels in the file
    std::uint32_t channels;      // the leading channels played
    std::uint32_t bits;
    std::uint32_t sampleRate;
    bool unsignedFile;           // the file's samples are unsigned
    bool flip;                   // the box "unsigned" is set
    std::uint32_t offsetFrames;  // where playback starts, in file frames
    std::uint32_t fileFrames;
};

void PrintTo(const SoxCase& row, std::ostream* os) { *os << row.name; }

// The device's form: signed samples, except at 8 bits where it takes
// unsigned ones.
const char* deviceEncoding(const SoxCase& c) { return c.bits == 8 ? "unsigned" : "signed"; }

std::string quoted(const std::string& text) { return "'" + text + "'"; }

Bytes readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// SoX's conversion of the file at input, or a failure.
testing::AssertionResult soxConvert(const SoxCase& c, const std::string& input, Bytes& output) {
    const std::string sox = QUORVEL_SOX;
    if (sox.empty() || sox.find("NOTFOUND") != std::string::npos)
        return testing::AssertionFailure() << "sox is not installed (tools/install-deps installs it)";
    const std::string bits = std::to_string(c.bits);
    const std::string out = TempFile::missingPath();
    std::string command = quoted(sox) + " -D -q -t raw -r " + std::to_string(c.sampleRate) + " -e " +
                          (c.unsignedFile ? "unsigned" : "signed") + " -b " + bits + " -c " +
                          std::to_string(c.fileChannels) + " " + quoted(input) + " -t raw -e " +
                          deviceEncoding(c) + " -b " + bits + " " + quoted(out);
    if (c.offsetFrames > 0) command += " trim " + std::to_string(c.offsetFrames) + "s";
    if (c.channels != c.fileChannels) {
        command += " remix";
        for (std::uint32_t k = 1; k <= c.channels; ++k) command += " " + std::to_string(k);
    }
    const int status = std::system(command.c_str());
    output = readAll(out);
    std::remove(out.c_str());
    if (status != 0) return testing::AssertionFailure() << "sox failed (" << status << "): " << command;
    return testing::AssertionSuccess();
}

class SoxCrossCheck : public testing::TestWithParam<SoxCase> {};

TEST_P(SoxCrossCheck, StreamAfterTheLeadInMatchesSox) {
    const SoxCase& c = GetParam();
    const std::uint32_t fileFrameBytes = c.bits / 8 * c.fileChannels;
    const Bytes bytes = patternBytes(std::size_t{c.fileFrames} * fileFrameBytes, c.bits);
    const TempFile temp(bytes);

    Bytes expected;
    ASSERT_TRUE(soxConvert(c, temp.path(), expected));
    const std::uint32_t frameBytes = c.bits / 8 * c.channels;
    ASSERT_EQ(expected.size(), std::size_t{c.fileFrames - c.offsetFrames} * frameBytes)
        << "sox wrote an unexpected length";

    PlaybackSettings settings;
    settings.channels = c.channels;
    settings.bitsPerSample = c.bits;
    settings.sampleRate = c.sampleRate;
    settings.offset = c.offsetFrames * fileFrameBytes;
    settings.blockSize = fileFrameBytes;
    settings.unsignedSamples = c.flip;
    normalizeSettings(settings);

    PlatformInputFile file;
    CallLog log;
    FakeAudioOutput device;
    FakeTimer timer(log);
    FakeErrorMessages messages(log);
    StreamPlayer player(settings, file, device, timer, messages);
    ASSERT_TRUE(player.open(temp.path()));
    player.prime();

    // Enough buffers after the three of the lead-in to pass the file's end.
    const std::uint64_t frames = settings.framesPerBuffer();
    const std::size_t bufferBytes = static_cast<std::size_t>(settings.bufferBytes());
    const std::size_t fileBuffers = expected.size() / bufferBytes + 1;
    while (device.submissionCount() < 3 + fileBuffers) {
        device.setPosition(device.submissionCount() * frames - 2 * frames + 1);
        timer.fire();
    }
    const Bytes stream = device.stream();
    player.stop();

    const Bytes heard(stream.begin() + 3 * static_cast<std::ptrdiff_t>(bufferBytes), stream.end());
    ASSERT_GE(heard.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(int{heard[i]}, int{expected[i]}) << c.name << ": byte " << i << " after the lead-in (frame "
                                                   << i / frameBytes << ") differs from SoX's";
    }
    // After the file's end the device gets what zero file bytes give.
    for (std::size_t i = expected.size(); i < heard.size(); ++i) {
        const bool top = i % (c.bits / 8) == c.bits / 8 - 1;
        ASSERT_EQ(int{heard[i]}, c.flip && top ? 0x80 : 0)
            << c.name << ": byte " << i << " after the file's end is not what zero bytes give";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SoxCrossCheck,
    testing::Values(SoxCase{"SixChannelsKeptToTwo", 6, 2, 16, 44100, false, false, 0, 10007},
                    SoxCase{"TwentyFourBitFromAnOffset", 3, 3, 24, 96000, false, false, 123, 20011},
                    SoxCase{"TwentyFourBitKeptToOne", 4, 1, 24, 48000, false, false, 0, 9001},
                    SoxCase{"Unsigned16WithTheFlip", 2, 2, 16, 44100, true, true, 17, 12003},
                    SoxCase{"Signed8WithTheFlip", 2, 2, 8, 8000, false, true, 0, 9999},
                    SoxCase{"Unsigned8KeptToOne", 4, 1, 8, 22050, true, false, 5, 7001}),
    [](const testing::TestParamInfo<SoxCase>& row) { return std::string(row.param.name); });

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "call_log.h"
#include "fake_audio_output.h"
#include "fake_error_messages.h"
#include "fake_periodic_timer.h"
#include "interface_texts.h"
#include "recording_input_file.h"
#include "stream_player.h"
#include "support/reference_stream.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;

// A small deterministic generator for device steps.
class Steps {
public:
    explicit Steps(std::uint32_t seed) : state_(seed) {}
    // A number from 0 to limit.
    std::uint32_t upTo(std::uint32_t limit) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<std::uint32_t>((std::uint64_t{state_ >> 8} * (limit + 1)) >> 24);
    }

private:
    std::uint32_t state_;
};

// What the device is to play for file and settings: three lead-in buffers,
// then the file in playback order, buffer by buffer.
Bytes expectedStream(const Bytes& file, const PlaybackSettings& settings, std::size_t buffers) {
    ReferenceStream reference(file, settings);
    Bytes out;
    for (std::size_t i = 0; i < buffers; ++i) {
        const Bytes buffer = i < 3 ? reference.leadInBuffer() : reference.nextBuffer();
        out.insert(out.end(), buffer.begin(), buffer.end());
    }
    return out;
}

// The first buffer at which two streams differ, for a message in the
// user's terms.
std::string firstDifference(const Bytes& heard, const Bytes& expected, std::size_t bufferBytes) {
    const std::size_t n = std::min(heard.size(), expected.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (heard[i] != expected[i]) {
            return "the device heard a wrong byte at " + std::to_string(i) + " (buffer " +
                   std::to_string(i / bufferBytes) + ")";
        }
    }
    if (heard.size() != expected.size()) {
        return "the device heard " + std::to_string(heard.size()) + " bytes, expected " +
               std::to_string(expected.size());
    }
    return "";
}

class StreamPlayerTest : public testing::Test {
protected:
    // Settings as the dialog hands them over: normalised.
    void useSettings(std::uint32_t bits, std::uint32_t channels, std::uint32_t rate,
                     bool unsignedSamples = false) {
        settings.bitsPerSample = bits;
        settings.channels = channels;
        settings.sampleRate = rate;
        settings.unsignedSamples = unsignedSamples;
        normalizeSettings(settings);
    }

    void useFile(Bytes bytes) {
        fileBytes = std::move(bytes);
        input = std::make_unique<TempFile>(fileBytes);
    }

    bool open() { return player.open(input->path()); }

    void openAndPrime() {
        ASSERT_TRUE(open());
        player.prime();
    }

    std::uint32_t frames() const { return settings.framesPerBuffer(); }
    std::size_t bufferBytes() const { return static_cast<std::size_t>(settings.bufferBytes()); }

    // Moves the device to a position and lets one tick run.
    void tickAt(std::uint64_t position) {
        device.setPosition(position);
        timer.fire();
    }

    // Frames the device still has to play.
    std::uint64_t ahead() const { return device.submittedFrames() - device.position(); }

    // Plays like a device that moves on by up to one buffer between ticks
    // (sometimes not at all), until count buffers have been submitted, and
    // checks after every tick that two to three buffers stay queued (or, when
    // the device refuses buffers, at most three). beforeTick lets a test
    // meddle with the device.
    void playUntil(std::size_t count, std::uint32_t seed = 1,
                   const std::function<void()>& beforeTick = nullptr) {
        Steps steps(seed);
        const std::uint64_t f = frames();
        for (std::size_t ticks = 0; device.submissionCount() < count; ++ticks) {
            ASSERT_LT(ticks, 100 * count) << "the player stopped submitting buffers";
            device.setPosition(std::min(device.position() + steps.upTo(frames()), device.submittedFrames()));
            if (beforeTick) beforeTick();
            timer.fire();
            if (!beforeTick) {
                ASSERT_GE(ahead(), 2 * f) << "the queue ran below two buffers at " << device.position();
            }
            ASSERT_LE(ahead(), 3 * f) << "more than three buffers were queued at " << device.position();
        }
    }

    void expectHeard(std::size_t buffers) {
        const Bytes expected = expectedStream(fileBytes, settings, buffers);
        const Bytes heard = device.stream();
        EXPECT_EQ(firstDifference(heard, expected, bufferBytes()), "");
    }

    // Everything that open acquires has been given back.
    void expectReleased() {
        EXPECT_FALSE(player.isOpen());
        EXPECT_FALSE(file.isOpen()) << "the file was left open";
        EXPECT_FALSE(device.isOpen()) << "the device was left open";
        EXPECT_FALSE(device.anyPrepared()) << "a buffer was left prepared";
        EXPECT_FALSE(timer.running()) << "the timer was left running";
        EXPECT_EQ(timer.raisedPeriods(), 0) << "the timer resolution was not restored";
    }

    void TearDown() override {
        player.stop();
        EXPECT_EQ(device.faults(), Calls{});
    }

    CallLog log;
    RecordingInputFile file{log};
    FakeAudioOutput device{&log};
    FakeTimer timer{log};
    FakeErrorMessages messages{log};
    PlaybackSettings settings;
    StreamPlayer player{settings, file, device, timer, messages};
    Bytes fileBytes;
    std::unique_ptr<TempFile> input;
};

TEST_F(StreamPlayerTest, OpenPreparesFourBuffersAndPrimeQueuesTwoWithTheDevicePaused) {
    useSettings(24, 3, 48000);
    useFile(patternBytes(5000));

    ASSERT_TRUE(open());
    EXPECT_TRUE(player.isOpen());
    EXPECT_EQ(log.calls(), (Calls{"file.open", "device.open", "device.pause", "device.reset",
                                  "device.prepare 0", "device.prepare 1", "device.prepare 2",
                                  "device.prepare 3", "timer.beginPeriod 1", "timer.start"}));
    const PcmFormat format = device.format();
    EXPECT_EQ(format.formatTag, 1);
    EXPECT_EQ(format.channels, 3);
    EXPECT_EQ(format.samplesPerSec, 48000u);
    EXPECT_EQ(format.avgBytesPerSec, 48000u * 9);
    EXPECT_EQ(format.blockAlign, 9);
    EXPECT_EQ(format.bitsPerSample, 24);
    EXPECT_EQ(format.extraSize, 0);
    for (std::uint32_t slot = 0; slot < 4; ++slot) EXPECT_EQ(device.preparedLength(slot), 4096u * 9);
    EXPECT_EQ(timer.periodMs(), 1u);

    // Until prime the ticks do nothing, not even ask for the position.
    log.clear();
    tickAt(50000);
    timer.fire(10);
    EXPECT_EQ(log.calls(), Calls{});
    EXPECT_EQ(device.submissionCount(), 0u);

    device.setPosition(0);
    player.prime();
    EXPECT_EQ(log.calls(),
              (Calls{"device.pause", "device.reset", "device.write 0", "device.write 1", "device.restart"}));
}

struct LeadInCase {
    const char* name;
    std::uint32_t bits;
    bool unsignedSamples;
    Bytes sample;  // every sample of the lead-in
};

void PrintTo(const LeadInCase& row, std::ostream* out) { *out << row.name; }

class LeadInTest : public StreamPlayerTest, public testing::WithParamInterface<LeadInCase> {};

TEST_P(LeadInTest, ThreeLeadInBuffersHoldWhatZeroFileBytesGiveThenTheFileFollows) {
    const LeadInCase& c = GetParam();
    useSettings(c.bits, 2, 44100, c.unsignedSamples);
    useFile(patternBytes(100000));
    openAndPrime();
    tickAt(1);

    ASSERT_EQ(device.submissionCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Bytes buffer = device.submission(i);
        ASSERT_EQ(buffer.size(), bufferBytes());
        for (std::size_t at = 0; at < buffer.size(); ++at) {
            ASSERT_EQ(buffer[at], c.sample[at % c.sample.size()])
                << "lead-in buffer " << i << " is not the level of zero file bytes at byte " << at;
        }
    }
    tickAt(frames() + 1);
    expectHeard(4);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LeadInTest,
    testing::Values(LeadInCase{"Signed8BitsLowestLevel", 8, false, {0x00}},
                    LeadInCase{"Unsigned8BitsMidpoint", 8, true, {0x80}},
                    LeadInCase{"Signed16BitsSilence", 16, false, {0x00, 0x00}},
                    LeadInCase{"Unsigned16BitsMostNegative", 16, true, {0x00, 0x80}},
                    LeadInCase{"Unsigned24Bits", 24, true, {0x00, 0x00, 0x80}},
                    LeadInCase{"Signed32BitsSilence", 32, false, {0x00, 0x00, 0x00, 0x00}}),
    [](const testing::TestParamInfo<LeadInCase>& row) { return std::string(row.param.name); });

struct RateCase {
    std::uint32_t sampleRate;
    std::uint32_t framesPerBuffer;
};

class FirstHeardTest : public StreamPlayerTest, public testing::WithParamInterface<RateCase> {};

TEST_P(FirstHeardTest, TheFileIsFirstHeardAtDeviceFrameThreeBuffersIn) {
    const std::uint32_t f = GetParam().framesPerBuffer;
    useSettings(16, 2, GetParam().sampleRate);
    ASSERT_EQ(frames(), f);
    useFile(patternBytes(200000));
    openAndPrime();
    for (std::uint32_t slot = 0; slot < 4; ++slot) EXPECT_EQ(device.preparedLength(slot), f * 4);

    tickAt(0);
    EXPECT_EQ(device.submissionCount(), 2u) << "a buffer went out before the device made progress";
    tickAt(1);
    EXPECT_EQ(device.submissionCount(), 3u) << "the third lead-in buffer did not follow the first progress";
    tickAt(f);
    EXPECT_EQ(device.submissionCount(), 3u) << "a buffer went out while two were still ahead";
    tickAt(f + 1);
    ASSERT_EQ(device.submissionCount(), 4u);
    EXPECT_EQ(device.submissionSlot(3), 3u);

    const Bytes heard = device.stream();
    const std::size_t fileStarts = std::size_t{3} * f * 4;
    ASSERT_EQ(heard.size(), fileStarts + f * 4);
    EXPECT_EQ(Bytes(heard.begin() + fileStarts, heard.begin() + fileStarts + 64),
              Bytes(fileBytes.begin(), fileBytes.begin() + 64))
        << "the file did not start at device frame " << 3 * f;
    expectHeard(4);
}

INSTANTIATE_TEST_SUITE_P(Rates, FirstHeardTest,
                         testing::Values(RateCase{44100, 4096}, RateCase{96000, 8192},
                                         RateCase{192000, 12288}),
                         [](const testing::TestParamInfo<RateCase>& row) {
                             return std::to_string(row.param.sampleRate) + "Hz";
                         });

struct RunCase {
    const char* name;
    std::function<void(PlaybackSettings&)> settings;
    std::size_t fileSize;
    PositionUnit unit;
};

void PrintTo(const RunCase& row, std::ostream* out) { *out << row.name; }

class LongRunTest : public StreamPlayerTest, public testing::WithParamInterface<RunCase> {};

TEST_P(LongRunTest, TheDeviceHearsTheFileInPlaybackOrderWithTwoToThreeBuffersQueued) {
    const RunCase& c = GetParam();
    c.settings(settings);
    normalizeSettings(settings);
    useFile(patternBytes(c.fileSize, 7));
    device.answerIn(c.unit);
    openAndPrime();
    playUntil(40);
    expectHeard(40);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LongRunTest,
    testing::Values(RunCase{"ShortFileNoLoopThenZeros", [](PlaybackSettings&) {}, 1000,
                            PositionUnit::Samples},
                    RunCase{"LongFileWithOffset", [](PlaybackSettings& s) { s.offset = 4097; }, 300000,
                            PositionUnit::Samples},
                    RunCase{"LoopOfEightBlocksPlays512PassesPerBuffer",
                            [](PlaybackSettings& s) {
                                s.offset = 400;
                                s.loopStart = 400;
                                s.loopEnd = 432;
                            },
                            1000, PositionUnit::Samples},
                    RunCase{"WideBlocksAndALoopOffTheBlockGrid",
                            [](PlaybackSettings& s) {
                                s.blockSize = 12;
                                s.loopStart = 100;
                                s.loopEnd = 70003;
                            },
                            80000, PositionUnit::Samples},
                    RunCase{"OverlappingFramesWithBlocksNarrowerThanAFrame",
                            [](PlaybackSettings& s) {
                                s.blockSize = 3;
                                s.loopEnd = 5000;
                                s.loopStart = 1;
                            },
                            6000, PositionUnit::Samples},
                    RunCase{"Unsigned8BitMono",
                            [](PlaybackSettings& s) {
                                s.bitsPerSample = 8;
                                s.channels = 1;
                                s.unsignedSamples = true;
                                s.loopStart = 10;
                                s.loopEnd = 9000;
                            },
                            10000, PositionUnit::Samples},
                    RunCase{"Unsigned24BitThreeChannelsStartingInsideTheLoop",
                            [](PlaybackSettings& s) {
                                s.bitsPerSample = 24;
                                s.channels = 3;
                                s.unsignedSamples = true;
                                s.offset = 3000;
                                s.loopStart = 1000;
                                s.loopEnd = 50000;
                            },
                            60000, PositionUnit::Samples},
                    RunCase{"SixteenChannels96000Hz",
                            [](PlaybackSettings& s) {
                                s.channels = 16;
                                s.sampleRate = 96000;
                            },
                            400000, PositionUnit::Samples},
                    RunCase{"DeviceAnswersInBytes", [](PlaybackSettings& s) { s.bitsPerSample = 32; }, 100000,
                            PositionUnit::Bytes}),
    [](const testing::TestParamInfo<RunCase>& row) { return std::string(row.param.name); });

TEST_F(StreamPlayerTest, PacingWithAPositionInMillisecondsNeverOverwritesWhatTheDeviceHolds) {
    // Milliseconds are coarser than frames: the player's idea of the position
    // trails the device by up to one millisecond's frames, never leads it.
    useSettings(16, 2, 44100);
    useFile(patternBytes(100000));
    device.answerIn(PositionUnit::Milliseconds);
    openAndPrime();
    Steps steps(3);
    const std::uint64_t f = frames();
    const std::uint64_t millisecond = 45;
    for (int ticks = 0; device.submissionCount() < 40; ++ticks) {
        ASSERT_LT(ticks, 4000) << "the player stopped submitting buffers";
        device.setPosition(std::min(device.position() + steps.upTo(frames()), device.submittedFrames()));
        timer.fire();
        ASSERT_GE(ahead() + millisecond, 2 * f);
        ASSERT_LE(ahead(), 3 * f);
    }
    expectHeard(40);
}

TEST_F(StreamPlayerTest, ARefusedBufferIsSubmittedAgainByALaterTickWithNothingLostOrRepeated) {
    useSettings(16, 2, 44100);
    useFile(patternBytes(200000, 3));
    openAndPrime();

    tickAt(1);
    ASSERT_EQ(device.submissionCount(), 3u);
    device.refuseWrites(3);
    tickAt(frames() + 1);
    timer.fire(2);
    EXPECT_EQ(device.submissionCount(), 3u);
    timer.fire();
    EXPECT_EQ(device.submissionCount(), 4u) << "the refused buffer was not retried";
    EXPECT_EQ(device.submissionSlot(3), 3u) << "a different buffer went out after a refusal";

    // Refusals scattered over a longer run.
    int tick = 0;
    playUntil(30, 5, [&] {
        if (++tick % 7 == 0) device.refuseWrites(2);
    });
    expectHeard(30);
}

TEST_F(StreamPlayerTest, AFailedPositionQueryReadsAsZeroAndSubmitsNothing) {
    useSettings(16, 2, 44100);
    useFile(patternBytes(100000));
    openAndPrime();
    playUntil(10);

    const std::size_t before = device.submissionCount();
    device.failPositionQueries(true);
    device.setPosition(device.submittedFrames());  // everything played
    timer.fire(5);
    EXPECT_EQ(device.submissionCount(), before) << "a buffer went out without a position";
    EXPECT_EQ(player.playedFrames(), 0u);

    // Once the position is back, the device, which ran dry meanwhile, is
    // refilled one buffer per tick.
    device.failPositionQueries(false);
    timer.fire();
    EXPECT_EQ(device.submissionCount(), before + 1);
    timer.fire(5);
    EXPECT_EQ(device.submissionCount(), before + 2);
    playUntil(20);
    expectHeard(20);
}

struct Answer {
    PositionUnit unit;
    std::uint32_t raw;
    std::uint32_t frames;
};

struct ConversionCase {
    const char* name;
    std::uint32_t bits;
    std::uint32_t channels;
    std::uint32_t rate;
    std::vector<Answer> answers;  // in order, each read by one playedFrames()
};

void PrintTo(const ConversionCase& row, std::ostream* out) { *out << row.name; }

class PositionConversionTest : public StreamPlayerTest, public testing::WithParamInterface<ConversionCase> {};

TEST_P(PositionConversionTest, PositionsAreReadAsFrames) {
    const ConversionCase& c = GetParam();
    useSettings(c.bits, c.channels, c.rate);
    useFile(patternBytes(100));
    openAndPrime();
    for (const Answer& answer : c.answers) {
        device.answerIn(answer.unit);
        device.setRawAnswer(answer.raw);
        EXPECT_EQ(player.playedFrames(), answer.frames) << "for a raw answer of " << answer.raw;
    }
}

constexpr std::uint32_t kTop = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Units, PositionConversionTest,
    testing::Values(
        ConversionCase{"SamplesAsTheyCome",
                       16,
                       2,
                       44100,
                       {{PositionUnit::Samples, 12345, 12345}, {PositionUnit::Samples, kTop - 5, kTop - 5}}},
        ConversionCase{"BytesByTheFrameSize",
                       24,
                       3,
                       44100,
                       {{PositionUnit::Bytes, 9000, 1000}, {PositionUnit::Bytes, 9008, 1000}}},
        // 2^32 bytes of 4-byte frames are 2^30 frames: the frame count goes
        // on past the byte count's wrap.
        ConversionCase{"BytesAcrossTheirWrap",
                       16,
                       2,
                       44100,
                       {{PositionUnit::Bytes, kTop - 255, 0x3FFFFFC0},
                        {PositionUnit::Bytes, 256, 0x40000040},
                        {PositionUnit::Bytes, 0x80000000u, 0x60000000}}},
        ConversionCase{
            "MillisecondsWithTheRate",
            16,
            2,
            44100,
            {{PositionUnit::Milliseconds, 1000, 44100}, {PositionUnit::Milliseconds, 1500, 66150}}},
        ConversionCase{
            "MillisecondsAcrossTheirWrap",
            8,
            1,
            8000,
            {{PositionUnit::Milliseconds, kTop, static_cast<std::uint32_t>(std::uint64_t{kTop} * 8)},
             {PositionUnit::Milliseconds, 999,
              static_cast<std::uint32_t>((std::uint64_t{kTop} + 1000) * 8)}}},
        ConversionCase{"AnyOtherUnitIsNoProgress",
                       16,
                       2,
                       44100,
                       {{PositionUnit::Samples, 5000, 5000}, {PositionUnit::Other, 99999, 5000}}}),
    [](const testing::TestParamInfo<ConversionCase>& row) { return std::string(row.param.name); });

TEST_F(StreamPlayerTest, PacingHoldsAcrossTheWrapOfTwoToTheThirtyTwoFrames) {
    // Frames without bytes (no channels, which the fake device accepts) let
    // 2^32 frames pass in a few hundred thousand cheap ticks: the pacing only
    // counts frames.
    useSettings(16, 0, 192000);
    useFile(patternBytes(100));
    device.keepBytes(false);
    openAndPrime();
    const std::uint64_t f = frames();
    std::uint64_t submitted = 2 * f;  // frames, kept in 64 bits by the test
    std::uint64_t position = 0;
    bool checkedFailedQuery = false;
    Steps steps(11);
    while (submitted < (std::uint64_t{1} << 32) + 8 * f) {
        position = std::min(position + steps.upTo(frames()), submitted);
        device.setPosition(position);
        if (!checkedFailedQuery && submitted > (std::uint64_t{1} << 31) + 8 * f) {
            // A failed query reads as 0, which past 2^31 frames must not
            // be taken for a device far behind.
            checkedFailedQuery = true;
            const std::size_t before = device.submissionCount();
            device.failPositionQueries(true);
            timer.fire(3);
            device.failPositionQueries(false);
            ASSERT_EQ(device.submissionCount(), before);
        }
        timer.fire();
        submitted = device.submissionCount() * f;
        ASSERT_GE(submitted - position, 2 * f) << "the queue ran dry at frame " << position;
        ASSERT_LE(submitted - position, 3 * f) << "buffers piled up at frame " << position;
    }
}

struct StartFailure {
    const char* name;
    std::function<void(PlaybackSettings&, FakeAudioOutput&, FakeTimer&)> arrange;
    bool missingFile;
    const char* message;
    int deviceOpens;  // attempts to open the device
};

void PrintTo(const StartFailure& row, std::ostream* out) { *out << row.name; }

class StartFailureTest : public StreamPlayerTest, public testing::WithParamInterface<StartFailure> {};

TEST_P(StartFailureTest, AFailedStartShowsOneMessageReleasesEverythingAndStaysClosed) {
    const StartFailure& c = GetParam();
    useFile(patternBytes(1000));
    c.arrange(settings, device, timer);
    normalizeSettings(settings);

    const std::string path = c.missingFile ? TempFile::missingPath() : input->path();
    EXPECT_FALSE(player.open(path.c_str()));
    EXPECT_EQ(messages.shown, Calls{c.message});
    EXPECT_EQ(device.openCount(), c.deviceOpens);
    expectReleased();

    // The player is Closed and can start again once the cause is gone.
    settings = PlaybackSettings{};
    normalizeSettings(settings);
    device.refuseOpen(false);
    timer.refuseStart = false;
    messages.shown.clear();
    openAndPrime();
    EXPECT_TRUE(player.isOpen());
    EXPECT_EQ(messages.shown, Calls{});
}

INSTANTIATE_TEST_SUITE_P(
    Causes, StartFailureTest,
    testing::Values(
        StartFailure{"MissingFile", [](PlaybackSettings&, FakeAudioOutput&, FakeTimer&) {}, true,
                     kTextFileCannotOpen, 0},
        StartFailure{"DeviceRefusesTheFormat",
                     [](PlaybackSettings& s, FakeAudioOutput& d, FakeTimer&) {
                         s.sampleRate = 1;
                         d.refuseOpen(true);
                     },
                     false, kTextDeviceUnsupported, 1},
        StartFailure{"ByteRateAbove32Bits",
                     [](PlaybackSettings& s, FakeAudioOutput&, FakeTimer&) {
                         s.bitsPerSample = 32;
                         s.channels = 16;
                         s.sampleRate = 0x04000001;  // 64 bytes a frame
                     },
                     false, kTextDeviceUnsupported, 0},
        StartFailure{"WidthNotWholeBytes",
                     [](PlaybackSettings& s, FakeAudioOutput&, FakeTimer&) { s.bitsPerSample = 12; }, false,
                     kTextDeviceUnsupported, 0},
        StartFailure{"ChannelCountAbove16Bits",
                     [](PlaybackSettings& s, FakeAudioOutput&, FakeTimer&) {
                         s.bitsPerSample = 8;
                         s.channels = 65536;
                     },
                     false, kTextDeviceUnsupported, 0},
        StartFailure{"StagingSizeAbove32Bits",
                     [](PlaybackSettings& s, FakeAudioOutput&, FakeTimer&) { s.blockSize = 1048576; }, false,
                     kTextMemoryUnavailable, 1},
        StartFailure{
            "TimerCannotStart",
            [](PlaybackSettings&, FakeAudioOutput&, FakeTimer& refusing) { refusing.refuseStart = true; },
            false, kTextTimerCannotStart, 1}),
    [](const testing::TestParamInfo<StartFailure>& row) { return std::string(row.param.name); });

TEST_F(StreamPlayerTest, AStagingAreaBeyondTheAddressSpaceIsAMemoryFailure) {
    if (sizeof(void*) > 4) GTEST_SKIP() << "only a 32-bit process runs out of addresses";
    // 3.7 GB of staging: a size that fits in 32 bits, but no allocation.
    settings.blockSize = 900000;
    normalizeSettings(settings);
    useFile(patternBytes(1000));
    EXPECT_FALSE(open());
    EXPECT_EQ(messages.shown, Calls{kTextMemoryUnavailable});
    expectReleased();
}

TEST_F(StreamPlayerTest, StopDuringTheLeadInReleasesEverythingAndNothingOfTheFileWasHeard) {
    useFile(patternBytes(100000));
    normalizeSettings(settings);
    openAndPrime();
    tickAt(1);
    const Bytes heard = device.stream();
    EXPECT_EQ(heard, Bytes(3 * bufferBytes(), 0));

    log.clear();
    player.stop();
    EXPECT_EQ(log.calls(), (Calls{"timer.kill", "timer.endPeriod 1", "device.pause", "device.reset",
                                  "device.unprepare 0", "device.unprepare 1", "device.unprepare 2",
                                  "device.unprepare 3", "device.close", "file.close"}));
    expectReleased();
}

TEST_F(StreamPlayerTest, CallsOutOfTurnDoNothing) {
    useFile(patternBytes(100000));
    normalizeSettings(settings);

    player.stop();
    player.prime();
    timer.fire();
    EXPECT_EQ(log.calls(), Calls{}) << "stop or prime on a closed player did something";

    openAndPrime();
    playUntil(6);
    log.clear();
    EXPECT_FALSE(open()) << "a second open succeeded";
    EXPECT_EQ(log.calls(), Calls{}) << "a second open touched the file, the device or the timer";
    EXPECT_EQ(messages.shown, Calls{});
    playUntil(12);
    expectHeard(12);
}

TEST_F(StreamPlayerTest, ASecondPlaybackStartsAgainFromTheOffset) {
    settings.offset = 1000;
    normalizeSettings(settings);
    useFile(patternBytes(300000));
    openAndPrime();
    playUntil(9);
    player.stop();
    expectReleased();

    openAndPrime();
    playUntil(9);
    expectHeard(9);
}

// The player on a timer of its own thread, as on the platform. Under
// ThreadSanitizer this shows that the ticks and stop hand the state over
// without a race: stop frees nothing a tick still uses.
TEST(StreamPlayerThreads, StopHandsOverFromARunningTimerThread) {
    CallLog log;
    RecordingInputFile file{log};
    FakeAudioOutput device;
    ThreadedFakeTimer timer;
    FakeErrorMessages messages{log};
    PlaybackSettings settings;
    settings.bitsPerSample = 8;
    settings.channels = 1;
    settings.loopStart = 16;
    settings.loopEnd = 9000;
    normalizeSettings(settings);
    const Bytes fileBytes = patternBytes(10000, 9);
    TempFile input(fileBytes);
    StreamPlayer player{settings, file, device, timer, messages};
    device.advanceOnQuery(settings.framesPerBuffer() / 16);

    const std::size_t bufferBytes = static_cast<std::size_t>(settings.bufferBytes());
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(player.open(input.path()));
        player.prime();
        // Some rounds stop at once, during the lead-in.
        const std::size_t wanted = round % 3 == 0 ? 0 : 4 + round;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (device.submissionCount() < wanted && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const Bytes heard = device.stream();
        player.stop();
        ASSERT_GE(heard.size(), wanted * bufferBytes) << "the timer thread did not keep the device fed";
        const Bytes expected = expectedStream(fileBytes, settings, heard.size() / bufferBytes);
        EXPECT_EQ(firstDifference(heard, expected, bufferBytes), "") << "in round " << round;
        EXPECT_FALSE(device.isOpen());
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(device.faults(), Calls{});
    EXPECT_GT(timer.fired(), 0);
}

}  // namespace

// The engine's path from file to device bytes, buffer after buffer as the
// player's tick makes them (zero the staging area, read in playback order,
// cut out frames, flip signs, slice by slice), against the plain model of
// the same stream.
#include <gtest/gtest.h>

#include "buffer_production.h"
#include "platform_input_file.h"
#include "source_reader.h"
#include "support/reference_stream.h"
#include "support/temp_file.h"

namespace {

struct StreamCase {
    const char* name;
    std::uint32_t channels, bits, sampleRate, offset, loopStart, loopEnd, blockSize;
    bool unsignedSamples;
    std::size_t fileBytes;
};

// Rows print as their names in test output.
void PrintTo(const StreamCase& row, std::ostream* os) { *os << row.name; }

class ByteStream : public testing::TestWithParam<StreamCase> {};

TEST_P(ByteStream, MatchesTheModelBufferAfterBuffer) {
    const StreamCase& c = GetParam();
    PlaybackSettings s;
    s.channels = c.channels;
    s.bitsPerSample = c.bits;
    s.sampleRate = c.sampleRate;
    s.offset = c.offset;
    s.loopStart = c.loopStart;
    s.loopEnd = c.loopEnd;
    s.blockSize = c.blockSize;
    s.unsignedSamples = c.unsignedSamples;
    normalizeSettings(s);
    ASSERT_TRUE(s.sizesFit());

    const auto bytes = patternBytes(c.fileBytes);
    TempFile temp(bytes);
    ReferenceStream model(bytes, s);

    PlatformInputFile file;
    SourceReader reader(file);
    ASSERT_TRUE(reader.open(temp.path()));
    reader.cursor = s.offset;
    reader.loopStart = s.loopStart;
    reader.loopEnd = s.loopEnd;

    std::vector<std::uint8_t> staging(static_cast<std::size_t>(s.stagingAllocationBytes()));
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(s.bufferBytes()));
    const BufferLayout layout = BufferLayout::of(s);
    for (int n = 0; n < 6; ++n) {
        produceBuffer(reader, staging.data(), buffer.data(), layout);
        ASSERT_EQ(buffer, model.nextBuffer()) << c.name << ": buffer " << n << " differs";
    }
    reader.close();
}

constexpr std::uint32_t kNone = kNoLoopEnd;

INSTANTIATE_TEST_SUITE_P(
    Settings, ByteStream,
    testing::Values(StreamCase{"Stereo16NoLoop", 2, 16, 44100, 0, 0, 0, 0, false, 40000},
                    StreamCase{"OffsetNoLoopFlipped", 2, 16, 44100, 123, 0, 0, 0, true, 50000},
                    StreamCase{"SixChannelsKeptToTwo", 2, 16, 48000, 0, 0, 0, 12, false, 200000},
                    StreamCase{"Mono24InWiderBlocks", 1, 24, 22050, 5, 0, 0, 7, true, 60000},
                    StreamCase{"Quad32LoopUnaligned", 4, 32, 96000, 0, 1000, 30001, 0, true, 100000},
                    StreamCase{"Mono8ShortLoopFlipped", 1, 8, 8000, 40, 40, 47, 0, true, 1000},
                    StreamCase{"LoopEightBlocks", 2, 16, 44100, 64, 64, 96, 0, false, 1000},
                    StreamCase{"OffsetBeyondLoopEnd", 3, 24, 192000, 900, 100, 500, 0, false, 1000},
                    StreamCase{"BlockSmallerThanFrame", 2, 24, 44100, 0, 0, 0, 2, false, 30000},
                    StreamCase{"LoopPastEndOfFile", 2, 8, 12000, 0, 500, 9000, 3, true, 5000},
                    StreamCase{"SixteenChannelsNoLoop", 16, 32, 8000, 17, 0, kNone, 0, false, 300000},
                    // Buffers of several slices, the last one short.
                    StreamCase{"SlicedWideBlocksFlipped", 16, 32, 192000, 3, 0, 0, 200, true, 3000000},
                    StreamCase{"SlicedLoopAcrossSlices", 16, 24, 96000, 0, 999, 400001, 150, false, 500000},
                    StreamCase{"SlicedOneByteLoop", 8, 16, 1000000, 7, 7, 8, 0, true, 100},
                    StreamCase{"OverlappingFramesInOneGo", 16, 32, 192000, 0, 0, 0, 60, true, 1000000}),
    [](const testing::TestParamInfo<StreamCase>& row) { return std::string(row.param.name); });

}  // namespace

#include <gtest/gtest.h>

#include "playback_settings.h"

namespace {

struct NormalisationCase {
    const char* name;
    std::uint32_t channels, bits, offset, loopStart, loopEnd, blockSize;
    std::uint32_t wantOffset, wantLoopEnd, wantBlockSize;
};

// Rows print as their names in test output.
void PrintTo(const NormalisationCase& row, std::ostream* os) { *os << row.name; }

class Normalisation : public testing::TestWithParam<NormalisationCase> {};

TEST_P(Normalisation, AppliesTheRulesInOrder) {
    const auto& c = GetParam();
    PlaybackSettings s;
    s.channels = c.channels;
    s.bitsPerSample = c.bits;
    s.offset = c.offset;
    s.loopStart = c.loopStart;
    s.loopEnd = c.loopEnd;
    s.blockSize = c.blockSize;
    normalizeSettings(s);
    EXPECT_EQ(s.offset, c.wantOffset) << "offset";
    EXPECT_EQ(s.loopStart, c.loopStart) << "loop start is never changed";
    EXPECT_EQ(s.loopEnd, c.wantLoopEnd) << "loop end";
    EXPECT_EQ(s.blockSize, c.wantBlockSize) << "block size";
}

constexpr std::uint32_t kNone = kNoLoopEnd;

INSTANTIATE_TEST_SUITE_P(
    Settings, Normalisation,
    testing::Values(NormalisationCase{"DefaultsMeanNoLoop", 2, 16, 0, 0, 0, 0, 0, kNone, 4},
                    NormalisationCase{"ReversedLoopIsNoLoopAndKeepsOffset", 2, 16, 1000, 100, 50, 0, 1000,
                                      kNone, 4},
                    NormalisationCase{"OffsetBeyondLoopEndRestarts", 2, 16, 1000, 100, 500, 0, 0, 500, 4},
                    NormalisationCase{"OffsetEqualToLoopEndIsKept", 2, 16, 500, 100, 500, 0, 500, 500, 4},
                    NormalisationCase{"OffsetInsideLoopIsKept", 2, 16, 300, 100, 500, 0, 300, 500, 4},
                    NormalisationCase{"OffsetBeforeLoopIsKept", 2, 16, 20, 100, 500, 0, 20, 500, 4},
                    NormalisationCase{"ThreeChannels24BitBlockIs9", 3, 24, 0, 0, 0, 0, 0, kNone, 9},
                    NormalisationCase{"GivenBlockSizeIsKeptEvenIfSmall", 2, 16, 0, 0, 0, 3, 0, kNone, 3},
                    NormalisationCase{"TypedNoLoopEndStaysAndOffsetIsNeverReset", 1, 8, 4000000000u, 7, kNone,
                                      0, 4000000000u, kNone, 1},
                    NormalisationCase{"EqualLoopStartAndEndIsNoLoop", 1, 8, 9, 5, 5, 0, 9, kNone, 1}),
    [](const testing::TestParamInfo<NormalisationCase>& row) { return std::string(row.param.name); });

struct SizeCase {
    std::uint32_t sampleRate;
    std::uint32_t framesPerBuffer;
};

TEST(DerivedSizes, FramesPerBufferStepsEvery65536Hz) {
    for (const SizeCase c :
         {SizeCase{0, 4096}, SizeCase{8000, 4096}, SizeCase{48000, 4096}, SizeCase{65535, 4096},
          SizeCase{65536, 8192}, SizeCase{96000, 8192}, SizeCase{131071, 8192}, SizeCase{131072, 12288},
          SizeCase{192000, 12288}, SizeCase{196608, 16384}, SizeCase{0xFFFFFFFFu, 65536u * 4096u}}) {
        PlaybackSettings s;
        s.sampleRate = c.sampleRate;
        EXPECT_EQ(s.framesPerBuffer(), c.framesPerBuffer) << "rate " << c.sampleRate;
    }
}

TEST(DerivedSizes, DefaultsAt44100) {
    PlaybackSettings s;  // 2 channels, 16 bits, 44100 Hz
    normalizeSettings(s);
    EXPECT_EQ(s.bytesPerSample(), 2u);
    EXPECT_EQ(s.frameBytes(), 4u);
    EXPECT_EQ(s.bufferBytes(), 16384u);
    EXPECT_EQ(s.ringBytes(), 65536u);
    EXPECT_EQ(s.bufferStart(3), 49152u);
    EXPECT_EQ(s.stagingBytes(), 16384u);
    EXPECT_EQ(s.stagingAllocationBytes(), 16384u);
    EXPECT_EQ(s.byteRate(), 176400u);
    EXPECT_TRUE(s.sizesFit());
}

TEST(DerivedSizes, LargeProductsDoNotWrap) {
    PlaybackSettings s;
    s.channels = 16;
    s.bitsPerSample = 32;
    s.sampleRate = 0xFFFFFFFFu;
    s.blockSize = 1048576;
    EXPECT_EQ(s.bufferBytes(), 64ull << 28);
    EXPECT_EQ(s.ringBytes(), 256ull << 28);
    EXPECT_EQ(s.stagingBytes(), 1048576ull << 28);
    EXPECT_EQ(s.byteRate(), 64ull * 0xFFFFFFFFu);
    EXPECT_FALSE(s.sizesFit());

    PlaybackSettings huge;
    huge.channels = 0x80000000u;
    huge.bitsPerSample = 0x80000000u;
    huge.blockSize = 1;
    EXPECT_FALSE(huge.sizesFit()) << "a ring of 2^62 x 2^12 x 4 / 8 bytes must not wrap to 0";
    EXPECT_GT(huge.byteRate(), 0xFFFFFFFFu);
}

TEST(DerivedSizes, SizesThatCannotBeHadAreRefused) {
    PlaybackSettings s;  // 4096 frames per buffer
    s.blockSize = 1048575;
    EXPECT_TRUE(s.sizesFit()) << "a staging area just under 4 GiB is describable";
    s.blockSize = 1048576;
    EXPECT_FALSE(s.sizesFit()) << "4096 x 1 MiB wraps a 32-bit size to 0";

    PlaybackSettings ring;
    ring.channels = 16;
    ring.bitsPerSample = 32;
    ring.sampleRate = 192000;
    ring.blockSize = 64;
    EXPECT_TRUE(ring.sizesFit());
    ring.sampleRate = 0xFFFFFFFFu;
    ring.blockSize = 1;
    EXPECT_FALSE(ring.sizesFit()) << "a 64 GiB ring";
}

TEST(DerivedSizes, BlockSmallerThanFrameEnlargesStaging) {
    PlaybackSettings s;
    s.channels = 2;
    s.bitsPerSample = 24;  // 6-byte frames
    s.blockSize = 2;
    EXPECT_EQ(s.stagingBytes(), 2u * 4096u);
    EXPECT_EQ(s.stagingOverhang(), 4u);
    EXPECT_EQ(s.stagingAllocationBytes(), 2u * 4096u + 4u);
}

}  // namespace

#include <gtest/gtest.h>

#include "frame_conversion.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Output frame k must be the first frameBytes of source block k, at every
// frame size the fast paths special-case and a few they do not.
TEST(ExtractFrames, TakesTheLeadingBytesOfEveryBlock) {
    for (std::uint32_t frameBytes : {1u, 2u, 3u, 4u, 6u, 8u, 9u, 12u, 16u, 24u, 32u, 48u, 64u}) {
        for (std::uint32_t blockSize : {frameBytes, frameBytes + 1, frameBytes * 3, frameBytes * 2 + 5}) {
            const std::uint32_t frames = 37;
            const Bytes source = patternBytes(blockSize * frames);
            Bytes out(frames * frameBytes + 8, 0xCD);
            extractFrames(out.data(), source.data(), frames, frameBytes,
                          static_cast<std::int32_t>(blockSize - frameBytes));
            for (std::uint32_t k = 0; k < frames; ++k) {
                for (std::uint32_t j = 0; j < frameBytes; ++j) {
                    ASSERT_EQ(out[k * frameBytes + j], source[k * blockSize + j])
                        << "frame " << k << " byte " << j << " of " << frameBytes << "-byte frames in "
                        << blockSize << "-byte blocks";
                }
            }
            EXPECT_EQ(Bytes(out.end() - 8, out.end()), Bytes(8, 0xCD)) << "wrote past the last frame";
        }
    }
}

TEST(ExtractFrames, NegativeSkipOverlapsFrames) {
    const Bytes source = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    Bytes out(12);
    extractFrames(out.data(), source.data(), 4, 3, -1);  // blockSize 2, 3-byte frames
    EXPECT_EQ(out, (Bytes{1, 2, 3, 3, 4, 5, 5, 6, 7, 7, 8, 9}));
}

TEST(ExtractFrames, NothingHappensForZeroFramesOrZeroWidth) {
    Bytes out(4, 0xCD);
    const Bytes source(4, 1);
    extractFrames(out.data(), source.data(), 0, 4, 0);
    extractFrames(out.data(), source.data(), 4, 0, 4);
    EXPECT_EQ(out, Bytes(4, 0xCD));
}

TEST(FlipSampleSign, ChangesOnlyTheTopByteOfEachSample) {
    for (std::uint32_t width : {1u, 2u, 3u, 4u}) {
        for (std::uint32_t samples : {0u, 1u, 5u, 64u, 1001u}) {
            const Bytes before = patternBytes(samples * width + 8);
            Bytes after = before;
            flipSampleSign(after.data(), samples, width);
            for (std::size_t i = 0; i < after.size(); ++i) {
                const bool top = i < samples * width && i % width == width - 1;
                ASSERT_EQ(after[i], top ? before[i] ^ 0x80 : before[i])
                    << "byte " << i << " of " << samples << " samples of " << width << " bytes";
            }
        }
    }
}

TEST(FlipSampleSign, KnownValues) {
    Bytes s16 = {0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF};
    flipSampleSign(s16.data(), 3, 2);
    EXPECT_EQ(s16, (Bytes{0x00, 0x80, 0x00, 0x00, 0xFF, 0x7F}))
        << "0 -> -32768, 0x8000 -> 0, 0xFFFF -> 0x7FFF";

    Bytes s24 = {0x00, 0x00, 0x00, 0xFF, 0xFF, 0x7F};
    flipSampleSign(s24.data(), 2, 3);
    EXPECT_EQ(s24, (Bytes{0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF}));

    Bytes s8(5, 0);
    flipSampleSign(s8.data(), 5, 1);
    EXPECT_EQ(s8, Bytes(5, 0x80)) << "zero 8-bit bytes become the midpoint";
}

TEST(FlipSampleSign, ZeroWidthTouchesNothing) {
    Bytes data(4, 0x11);
    flipSampleSign(data.data() + 2, 2, 0);
    EXPECT_EQ(data, Bytes(4, 0x11)) << "a zero width must not touch the byte before the data";
}

}  // namespace

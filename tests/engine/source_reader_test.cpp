#include <gtest/gtest.h>

#include <numeric>

#include "platform_input_file.h"
#include "source_reader.h"
#include "support/reference_stream.h"
#include "support/temp_file.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The file's bytes from..to (to excluded), zeros where the file has ended.
Bytes fileRange(const Bytes& file, std::uint64_t from, std::uint64_t to) {
    Bytes out;
    for (std::uint64_t p = from; p < to; ++p)
        out.push_back(p < file.size() ? file[static_cast<std::size_t>(p)] : 0);
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Counts the calls that reach the real file.
class CountingFile final : public InputFile {
public:
    bool open(const char* path) override { return file.open(path); }
    void seek(std::uint32_t position) override {
        ++seeks;
        file.seek(position);
    }
    std::uint32_t read(void* destination, std::uint32_t count) override {
        ++reads;
        return file.read(destination, count);
    }
    void close() override { file.close(); }

    PlatformInputFile file;
    int seeks = 0;
    int reads = 0;
};

class SourceReaderTest : public testing::Test {
protected:
    void openReader(const TempFile& temp, std::uint64_t cursor, std::uint32_t loopStart,
                    std::uint32_t loopEnd) {
        ASSERT_TRUE(reader.open(temp.path()));
        reader.cursor = cursor;
        reader.loopStart = loopStart;
        reader.loopEnd = loopEnd;
    }
    Bytes read(std::uint32_t count) {
        Bytes out(count);
        reader.readLooped(out.data(), count);
        return out;
    }
    void TearDown() override { reader.close(); }

    CountingFile file;
    SourceReader reader{file};
};

TEST_F(SourceReaderTest, OpenFailsForMissingFileAndEmptyPath) {
    EXPECT_FALSE(reader.open(TempFile::missingPath().c_str()));
    EXPECT_FALSE(reader.open(""));
}

TEST_F(SourceReaderTest, NoLoopRunsPastTheEndWithZeros) {
    const Bytes bytes = patternBytes(1000);
    TempFile temp(bytes);
    openReader(temp, 0, 0, kNoLoopEnd);
    EXPECT_EQ(read(4096), fileRange(bytes, 0, 4096)) << "the file, then zeros";
    EXPECT_EQ(reader.cursor, 4096u);
    EXPECT_EQ(read(4096), Bytes(4096, 0)) << "past the end only zeros";
    EXPECT_EQ(reader.cursor, 8192u);
}

TEST_F(SourceReaderTest, ZeroCountTouchesNothing) {
    TempFile temp(patternBytes(10));
    openReader(temp, 5, 0, kNoLoopEnd);
    read(0);
    EXPECT_EQ(reader.cursor, 5u);
    EXPECT_EQ(file.reads + file.seeks, 0);
}

TEST_F(SourceReaderTest, LoopWrapsSeveralTimesInOneCall) {
    const Bytes bytes = patternBytes(1000);
    TempFile temp(bytes);
    openReader(temp, 400, 100, 500);
    const Bytes want = concat({fileRange(bytes, 400, 500), fileRange(bytes, 100, 500),
                               fileRange(bytes, 100, 500), fileRange(bytes, 100, 200)});
    EXPECT_EQ(read(1000), want);
    EXPECT_EQ(reader.cursor, 200u);
    EXPECT_EQ(read(300), fileRange(bytes, 200, 500)) << "the next call continues where the last one ended";
    EXPECT_EQ(reader.cursor, 500u) << "a call ending on the loop end leaves the cursor there";
    EXPECT_EQ(read(50), fileRange(bytes, 100, 150)) << "and the next call wraps first";
}

TEST_F(SourceReaderTest, LoopEndBeyondEndOfFileReadsZerosBeforeWrapping) {
    const Bytes bytes = patternBytes(300);
    TempFile temp(bytes);
    openReader(temp, 0, 100, 500);
    EXPECT_EQ(read(700), concat({fileRange(bytes, 0, 300), Bytes(200, 0), fileRange(bytes, 100, 300)}));
}

TEST_F(SourceReaderTest, LoopStartBeyondEndOfFileGivesOnlyZerosAfterTheFirstWrap) {
    const Bytes bytes = patternBytes(300);
    TempFile temp(bytes);
    openReader(temp, 0, 400, 600);
    EXPECT_EQ(read(1000), concat({bytes, Bytes(700, 0)}));
    EXPECT_EQ(read(1000), Bytes(1000, 0));
}

TEST_F(SourceReaderTest, CursorAtLoopEndJumpsStraightToLoopStart) {
    const Bytes bytes = patternBytes(1000);
    TempFile temp(bytes);
    openReader(temp, 500, 100, 500);
    EXPECT_EQ(read(10), fileRange(bytes, 100, 110));
}

TEST_F(SourceReaderTest, ShortLoopsAreReadOnceAndCopied) {
    const Bytes bytes = patternBytes(64);
    TempFile temp(bytes);
    for (const std::uint32_t length : {1u, 7u, 32u}) {
        file.reads = 0;
        openReader(temp, 3, 3, 3 + length);
        Bytes want;
        for (std::uint32_t i = 0; i < 100000; ++i) want.push_back(bytes[3 + i % length]);
        EXPECT_EQ(read(100000), want) << "loop of " << length << " bytes";
        EXPECT_LE(file.reads, 2) << "loop of " << length << " bytes read again and again";
        Bytes next;
        for (std::uint32_t i = 100000; i < 100005; ++i) next.push_back(bytes[3 + i % length]);
        EXPECT_EQ(read(5), next) << "cursor after copied passes, loop of " << length;
        reader.close();
    }
}

// Matches the reader against the byte-at-a-time model for loop lengths
// around the call size, where the copied passes meet the call's end.
TEST_F(SourceReaderTest, CopiedPassesMatchTheModelAtEveryPhase) {
    const Bytes bytes = patternBytes(5000);
    TempFile temp(bytes);
    for (const std::uint32_t length : {1u, 2u, 3u, 255u, 256u, 257u, 511u, 512u, 513u, 1024u, 4999u}) {
        PlaybackSettings s;
        s.channels = 1;
        s.bitsPerSample = 8;
        s.sampleRate = 8000;
        s.offset = 1;
        s.loopStart = 2;
        s.loopEnd = 2 + length;
        normalizeSettings(s);
        ReferenceStream model(bytes, s);
        openReader(temp, s.offset, s.loopStart, s.loopEnd);
        for (int call = 0; call < 5; ++call) {
            ASSERT_EQ(read(4096), model.nextBuffer()) << "loop of " << length << ", call " << call;
        }
        reader.close();
    }
}

TEST_F(SourceReaderTest, PositionsBeyond2GiBLandWhereAsked) {
    const std::uint64_t base = 0x80000000u;
    const Bytes high = patternBytes(64, 7);
    TempFile temp(base + 4096, {{0, Bytes(16, 0xEE)}, {base, high}});
    const auto highRange = [&](std::uint64_t from, std::uint64_t to) {
        return Bytes(high.begin() + static_cast<std::ptrdiff_t>(from - base),
                     high.begin() + static_cast<std::ptrdiff_t>(to - base));
    };

    openReader(temp, base + 8, 0, kNoLoopEnd);
    EXPECT_EQ(read(16), highRange(base + 8, base + 24)) << "offset of 2^31 + 8 read from the file's start";

    reader.cursor = base + 5;
    reader.loopStart = static_cast<std::uint32_t>(base + 10);
    reader.loopEnd = static_cast<std::uint32_t>(base + 20);
    EXPECT_EQ(read(30), concat({highRange(base + 5, base + 20), highRange(base + 10, base + 20),
                                highRange(base + 10, base + 15)}))
        << "a loop above 2^31 wraps to its own start, not to the file's";
}

TEST_F(SourceReaderTest, TopOfTheAddressSpace) {
    const std::uint64_t top = SourceReader::kAddressableEnd;
    const Bytes last = patternBytes(256, 3);
    TempFile temp(top, {{top - 256, last}});
    const auto lastRange = [&](std::uint64_t from, std::uint64_t to) {
        return Bytes(last.begin() + static_cast<std::ptrdiff_t>(from - (top - 256)),
                     last.begin() + static_cast<std::ptrdiff_t>(to - (top - 256)));
    };

    // A loop ending within one read of 2^32 still jumps back.
    openReader(temp, top - 256, static_cast<std::uint32_t>(top - 200), static_cast<std::uint32_t>(top - 16));
    EXPECT_EQ(read(400), concat({lastRange(top - 256, top - 16), lastRange(top - 200, top - 40)}));

    // Without a loop the last byte plays, then zeros for ever: no wrap to 0.
    reader.cursor = top - 8;
    reader.loopStart = 0;
    reader.loopEnd = kNoLoopEnd;
    EXPECT_EQ(read(16), concat({lastRange(top - 8, top), Bytes(8, 0)}));
    EXPECT_EQ(reader.cursor, top);
    EXPECT_EQ(read(16), Bytes(16, 0)) << "the file started again from byte 0";
    EXPECT_EQ(reader.cursor, top);
}

}  // namespace

// What the player's tick costs. Three groups, all in one run so that their
// ratios compare like with like:
//  - Produce/...: one device buffer made as the tick makes it (produceBuffer:
//    zero the staging area, read in playback order, cut out frames, flip
//    signs),
//    over the matrix of rates, widths, channel counts, block sizes, loops and
//    the flip; the playFraction counter is the wall time per buffer divided
//    by the time that buffer plays.
//  - Memcpy/, Extract/, Flip/: throughput of the conversions next to memcpy
//    of the same output bytes.
//  - Convert/ and Sox/: a whole file converted by our byte path and by SoX
//    (the sox program on the PATH), for the same conversion.
// bench/summarize.py turns the JSON output into the figures of the README.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "buffer_production.h"
#include "frame_conversion.h"
#include "platform_input_file.h"
#include "playback_settings.h"
#include "source_reader.h"
#include "support/temp_file.h"

extern char** environ;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The file every Produce case reads: large enough that a case without a loop
// reads real bytes for a few buffers before it starts over at byte 0.
constexpr std::uint64_t kFileBytes = std::uint64_t{32} << 20;
// Where the loops start (and playback with them); off any frame grid.
constexpr std::uint32_t kLoopStart = 1001;

const TempFile& sourceFile() {
    static const TempFile file(patternBytes(kFileBytes));
    return file;
}

enum class Loop { None, OneByte, SevenBytes, EightBlocks, OneMiB };

struct LoopKind {
    Loop loop;
    const char* name;
};
constexpr LoopKind kLoops[] = {{Loop::None, "none"},
                               {Loop::OneByte, "1B"},
                               {Loop::SevenBytes, "7B"},
                               {Loop::EightBlocks, "8blocks"},
                               {Loop::OneMiB, "1MiB"}};

std::uint32_t loopLength(Loop loop, std::uint32_t blockSize) {
    switch (loop) {
        case Loop::None: return 0;
        case Loop::OneByte: return 1;
        case Loop::SevenBytes: return 7;
        case Loop::EightBlocks: return 8 * blockSize;
        case Loop::OneMiB: return 1u << 20;
    }
    return 0;
}

// One buffer after another, as the tick produces them, into a ring of four.
void produce(benchmark::State& state, PlaybackSettings settings) {
    normalizeSettings(settings);
    const bool looping = settings.loopEnd != kNoLoopEnd;
    PlatformInputFile file;
    SourceReader reader(file);
    if (!reader.open(sourceFile().path())) {
        state.SkipWithError("cannot open the benchmark's file");
        return;
    }
    reader.cursor = settings.offset;
    reader.loopStart = settings.loopStart;
    reader.loopEnd = settings.loopEnd;

    const std::uint32_t frames = settings.framesPerBuffer();
    const auto stagingBytes = static_cast<std::uint32_t>(settings.stagingBytes());
    const BufferLayout layout = BufferLayout::of(settings);
    Bytes staging(static_cast<std::size_t>(settings.stagingAllocationBytes()));
    Bytes ring(static_cast<std::size_t>(settings.ringBytes()));
    std::uint32_t next = 0;

    for (auto _ : state) {
        // Without a loop, start the file over before the reads reach its end
        // (where they would cost nothing).
        if (!looping && reader.cursor + stagingBytes > kFileBytes) reader.cursor = 0;
        std::uint8_t* buffer = ring.data() + settings.bufferStart(next);
        produceBuffer(reader, staging.data(), buffer, layout);
        benchmark::DoNotOptimize(buffer);
        benchmark::ClobberMemory();
        next = (next + 1) & 3;
    }
    reader.close();

    const double playSeconds = static_cast<double>(frames) / settings.sampleRate;
    state.counters["playFraction"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * playSeconds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * settings.bufferBytes()));
}

void registerMatrix() {
    for (std::uint32_t rate : {8000u, 44100u, 192000u, 1000000u}) {
        for (std::uint32_t bits : {8u, 16u, 24u, 32u}) {
            for (std::uint32_t channels : {1u, 2u, 16u}) {
                for (std::uint32_t blockFactor : {1u, 3u}) {
                    for (const LoopKind& kind : kLoops) {
                        for (bool flip : {false, true}) {
                            PlaybackSettings s;
                            s.sampleRate = rate;
                            s.bitsPerSample = bits;
                            s.channels = channels;
                            s.blockSize = blockFactor * bits / 8 * channels;
                            s.unsignedSamples = flip;
                            if (kind.loop != Loop::None) {
                                s.offset = s.loopStart = kLoopStart;
                                s.loopEnd = kLoopStart + loopLength(kind.loop, s.blockSize);
                            }
                            const std::string name =
                                "Produce/rate:" + std::to_string(rate) + "/bits:" + std::to_string(bits) +
                                "/ch:" + std::to_string(channels) + "/block:" + std::to_string(blockFactor) +
                                "x/loop:" + kind.name + "/flip:" + (flip ? "on" : "off");
                            benchmark::RegisterBenchmark(name.c_str(), produce, s)
                                ->UseRealTime()
                                ->MinTime(0.05)
                                ->Unit(benchmark::kMicrosecond);
                        }
                    }
                }
            }
        }
    }
}

// Output sizes for the throughput cases: one buffer at 44100 Hz stereo
// 16-bit, at 192000 Hz with 16 channels of 32 bits, and at a typed
// 1000000 Hz with 16 channels of 32 bits.
constexpr std::size_t kSizes[] = {16u << 10, 768u << 10, 4u << 20};

void memcpyBytes(benchmark::State& state, std::size_t bytes) {
    Bytes source = patternBytes(bytes), destination(bytes);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), bytes);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// blockFactor 1: packed frames (the block is the frame); otherwise every
// block is that many frames long and only its first frame is kept.
void extract(benchmark::State& state, std::size_t bytes, std::uint32_t frameBytes,
             std::uint32_t blockFactor) {
    const auto frames = static_cast<std::uint32_t>(bytes / frameBytes);
    Bytes source = patternBytes(std::size_t{frames} * frameBytes * blockFactor), destination(bytes);
    const auto skip = static_cast<std::int32_t>(frameBytes * (blockFactor - 1));
    for (auto _ : state) {
        extractFrames(destination.data(), source.data(), frames, frameBytes, skip);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::size_t{frames} * frameBytes));
}

void flip(benchmark::State& state, std::size_t bytes, std::uint32_t width) {
    const auto samples = static_cast<std::uint32_t>(bytes / width);
    Bytes data = patternBytes(bytes);
    for (auto _ : state) {
        flipSampleSign(data.data(), samples, width);
        benchmark::DoNotOptimize(data.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::size_t{samples} * width));
}

void registerThroughput() {
    for (std::size_t bytes : kSizes) {
        const std::string size = "/bytes:" + std::to_string(bytes);
        benchmark::RegisterBenchmark(("Memcpy" + size).c_str(), memcpyBytes, bytes)->MinTime(0.1);
        for (std::uint32_t frameBytes : {1u, 2u, 3u, 4u, 6u, 8u, 12u, 16u, 32u, 48u, 64u}) {
            for (std::uint32_t blockFactor : {1u, 3u}) {
                const std::string name = "Extract/frame:" + std::to_string(frameBytes) +
                                         "/block:" + std::to_string(blockFactor) + "x" + size;
                benchmark::RegisterBenchmark(name.c_str(), extract, bytes, frameBytes, blockFactor)
                    ->MinTime(0.1);
            }
        }
        for (std::uint32_t width : {1u, 2u, 3u, 4u}) {
            const std::string name = "Flip/width:" + std::to_string(width) + size;
            benchmark::RegisterBenchmark(name.c_str(), flip, bytes, width)->MinTime(0.1);
        }
    }
}

// The conversions compared with SoX: a 6-channel 16-bit file of which the
// first two channels are kept, and unsigned 16-bit stereo made signed.
struct Conversion {
    const char* name;
    std::uint32_t fileChannels, channels;
    bool unsignedSamples;
};
constexpr Conversion kConversions[] = {{"SixChannelsKeptToTwo", 6, 2, false},
                                       {"Unsigned16ToSigned", 2, 2, true}};
constexpr std::uint32_t kConversionRate = 44100;
constexpr std::uint32_t kConversionFrames = 1u << 21;  // 47.6 s at 44100 Hz

const TempFile& conversionFile(const Conversion& c) {
    static const TempFile six(patternBytes(std::size_t{kConversionFrames} * 12, 6));
    static const TempFile two(patternBytes(std::size_t{kConversionFrames} * 4, 2));
    return c.fileChannels == 6 ? six : two;
}

// Every frame of the file, buffer after buffer, through the tick's steps.
void convertOurs(benchmark::State& state, Conversion c) {
    PlaybackSettings s;
    s.sampleRate = kConversionRate;
    s.bitsPerSample = 16;
    s.channels = c.channels;
    s.blockSize = 2 * c.fileChannels;
    s.unsignedSamples = c.unsignedSamples;
    normalizeSettings(s);
    const std::uint32_t frames = s.framesPerBuffer();
    const auto frameBytes = static_cast<std::uint32_t>(s.frameBytes());
    const auto stagingBytes = static_cast<std::uint32_t>(s.stagingBytes());
    Bytes staging(static_cast<std::size_t>(s.stagingAllocationBytes()));
    Bytes buffer(static_cast<std::size_t>(s.bufferBytes()));
    PlatformInputFile file;
    SourceReader reader(file);
    if (!reader.open(conversionFile(c).path())) {
        state.SkipWithError("cannot open the conversion's file");
        return;
    }
    for (auto _ : state) {
        reader.cursor = 0;
        for (std::uint32_t done = 0; done < kConversionFrames; done += frames) {
            std::memset(staging.data(), 0, stagingBytes);
            reader.readLooped(staging.data(), stagingBytes);
            extractFrames(buffer.data(), staging.data(), frames, frameBytes,
                          static_cast<std::int32_t>(s.blockSize - frameBytes));
            if (s.unsignedSamples) flipSampleSign(buffer.data(), s.channels * frames, s.bytesPerSample());
            benchmark::DoNotOptimize(buffer.data());
            benchmark::ClobberMemory();
        }
    }
    reader.close();
}

// Runs sox on the same file, writing raw signed samples to /dev/null; the
// time includes starting the process. An empty input measures that start.
void convertSox(benchmark::State& state, Conversion c, bool emptyInput) {
    static const TempFile empty(Bytes{});
    const std::string input = emptyInput ? empty.path() : conversionFile(c).path();
    const std::string fileChannels = std::to_string(c.fileChannels);
    const std::string rate = std::to_string(kConversionRate);
    std::vector<std::string> args = {"sox",        "-D",  "-q",
                                     "-t",         "raw", "-r",
                                     rate,         "-e",  c.unsignedSamples ? "unsigned" : "signed",
                                     "-b",         "16",  "-c",
                                     fileChannels, input, "-t",
                                     "raw",        "-e",  "signed",
                                     "-b",         "16",  "/dev/null"};
    if (c.channels != c.fileChannels) {
        args.push_back("remix");
        for (std::uint32_t k = 1; k <= c.channels; ++k) args.push_back(std::to_string(k));
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawnp(&child, "sox", nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("sox cannot be started (tools/install-deps installs it)");
            return;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("sox failed");
            return;
        }
    }
}

void registerConversions() {
    for (const Conversion& c : kConversions) {
        const std::string name = c.name;
        benchmark::RegisterBenchmark(("Convert/" + name).c_str(), convertOurs, c)
            ->UseRealTime()
            ->MinTime(0.5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Sox/" + name).c_str(), convertSox, c, false)
            ->UseRealTime()
            ->MinTime(0.5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Sox/Start", convertSox, kConversions[0], true)
        ->UseRealTime()
        ->MinTime(0.5)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    registerMatrix();
    registerThroughput();
    registerConversions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

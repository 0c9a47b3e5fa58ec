#include "buffer_production.h"

#include <algorithm>
#include <cstring>

#include "frame_conversion.h"

namespace {

// File bytes per slice: small enough to stay in a core's cache between the
// read and the conversion, large enough that the reads stay few.
constexpr std::uint32_t kSliceBytes = 256 * 1024;

}  // namespace

BufferLayout BufferLayout::of(const PlaybackSettings& settings) {
    BufferLayout layout;
    layout.framesPerBuffer = settings.framesPerBuffer();
    layout.frameBytes = static_cast<std::uint32_t>(settings.frameBytes());
    layout.blockSize = settings.blockSize;
    layout.stagingBytes = static_cast<std::uint32_t>(settings.stagingBytes());
    layout.channels = settings.channels;
    layout.bytesPerSample = settings.bytesPerSample();
    layout.unsignedSamples = settings.unsignedSamples;
    return layout;
}

void produceBuffer(SourceReader& reader, std::uint8_t* staging, std::uint8_t* buffer,
                   const BufferLayout& layout) {
    const auto skip =
        static_cast<std::int32_t>(std::int64_t{layout.blockSize} - std::int64_t{layout.frameBytes});
    // Slices need every frame inside its own block and samples that tile the
    // frame exactly; otherwise the buffer is made in one go.
    const bool sliced = layout.blockSize > 0 && skip >= 0 &&
                        std::uint64_t{layout.channels} * layout.bytesPerSample == layout.frameBytes;
    const std::uint32_t sliceFrames =
        sliced ? std::max<std::uint32_t>(1, kSliceBytes / layout.blockSize) : layout.framesPerBuffer;

    for (std::uint32_t done = 0; done < layout.framesPerBuffer; done += sliceFrames) {
        const std::uint32_t frames = std::min(sliceFrames, layout.framesPerBuffer - done);
        const std::uint32_t bytes = sliced ? frames * layout.blockSize : layout.stagingBytes;
        std::uint8_t* out = buffer + std::size_t{done} * layout.frameBytes;
        std::memset(staging, 0, bytes);
        reader.readLooped(staging, bytes);
        extractFrames(out, staging, frames, layout.frameBytes, skip);
        if (layout.unsignedSamples) flipSampleSign(out, layout.channels * frames, layout.bytesPerSample);
    }
}

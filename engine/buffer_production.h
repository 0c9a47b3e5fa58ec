// How the tick turns the next stretch of the file into one device buffer.
#pragma once

#include <cstdint>

#include "playback_settings.h"
#include "source_reader.h"

// The sizes that make one buffer, fixed when playback starts.
struct BufferLayout {
    std::uint32_t framesPerBuffer = 0;
    std::uint32_t frameBytes = 0;
    std::uint32_t blockSize = 0;
    // File bytes consumed per buffer: blockSize x framesPerBuffer.
    std::uint32_t stagingBytes = 0;
    std::uint32_t channels = 0;
    std::uint32_t bytesPerSample = 0;
    bool unsignedSamples = false;

    // The layout of normalised settings. The 32-bit sizes are exact when the
    // settings' sizes fit (sizesFit()); otherwise they must not be used.
    static BufferLayout of(const PlaybackSettings& settings);
};

// Fills buffer (framesPerBuffer packed frames) from the next stagingBytes
// bytes that the reader delivers in playback order: output frame k is the
// first frameBytes of file block k, and with unsignedSamples every sample's
// top bit is inverted. staging is the scratch area of
// PlaybackSettings::stagingAllocationBytes() bytes, whose bytes past
// stagingBytes must be zero; bytes the file does not deliver play as zero
// file bytes would.
//
// The work goes in slices of a few hundred kilobytes of file (zero, read,
// extract, flip), so the staging bytes are still in the cache when they are
// converted. The bytes produced are exactly those of doing each step once
// over the whole buffer, which is what happens when a block is shorter than
// a frame (frames then overlap across slices).
void produceBuffer(SourceReader& reader, std::uint8_t* staging, std::uint8_t* buffer,
                   const BufferLayout& layout);

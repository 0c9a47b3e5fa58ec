// The user's declaration of a headerless file's layout, the sizes the engine
// derives from it, and the normalisation applied once when playback starts.
#pragma once

#include <cstddef>
#include <cstdint>

// A loop end of this value means that there is no loop.
inline constexpr std::uint32_t kNoLoopEnd = 0xFFFFFFFFu;

// Size of the path buffer, the platform's MAX_PATH.
inline constexpr std::size_t kPathBytes = 260;

// The largest size the player will allocate for the ring or the staging
// area: what a 32-bit count can describe.
inline constexpr std::uint64_t kLargestAllocation = 0xFFFFFFFFu;

// a x b, or the largest 64-bit value when the product does not fit: a size
// that large is refused like any other that cannot be had.
constexpr std::uint64_t saturatingProduct(std::uint64_t a, std::uint64_t b) {
    return a != 0 && b > UINT64_MAX / a ? UINT64_MAX : a * b;
}

struct PlaybackSettings {
    // The file to play, in the ANSI code page, zero-terminated.
    char path[kPathBytes] = {};
    // Channels per output frame (1 to 16 from the dialog).
    std::uint32_t channels = 2;
    // Frames per second handed to the device; any value, 0 included.
    std::uint32_t sampleRate = 44100;
    // Width of one sample: 8, 16, 24 or 32 from the dialog.
    std::uint32_t bitsPerSample = 16;
    // File position of the first byte played.
    std::uint32_t offset = 0;
    // File position to which reading jumps back (included in the loop).
    std::uint32_t loopStart = 0;
    // File position at which reading jumps back (excluded); kNoLoopEnd: no loop.
    std::uint32_t loopEnd = 0;
    // Distance between the starts of consecutive frames in the file; 0 is
    // replaced by frameBytes() at normalisation.
    std::uint32_t blockSize = 0;
    // Invert the top bit of every sample on its way to the device.
    bool unsignedSamples = false;

    // bitsPerSample / 8.
    std::uint32_t bytesPerSample() const { return bitsPerSample / 8; }

    // bitsPerSample x channels / 8: one packed output frame. Computed without
    // overflow; a value above 32 bits only occurs for settings whose ring
    // cannot be had (sizesFit() is false).
    std::uint64_t frameBytes() const { return std::uint64_t{bitsPerSample} * channels / 8; }

    // 4096 frames for every started 65536 Hz: ((sampleRate >> 16) + 1) x 4096.
    // At most 2^28, so it always fits.
    std::uint32_t framesPerBuffer() const { return ((sampleRate >> 16) + 1) * 4096u; }

    // One ring buffer: bitsPerSample x channels x framesPerBuffer / 8.
    std::uint64_t bufferBytes() const { return bufferStart(1); }

    // Start of ring buffer i (0 to 4) within the ring:
    // bitsPerSample x channels x framesPerBuffer x i / 8. Buffer 4's start
    // is the ring's end.
    std::uint64_t bufferStart(std::uint32_t i) const {
        return saturatingProduct(
                   saturatingProduct(std::uint64_t{bitsPerSample} * channels, framesPerBuffer()), i) /
               8;
    }

    // The four ring buffers together.
    std::uint64_t ringBytes() const { return bufferStart(4); }

    // File bytes consumed per ring buffer: blockSize x framesPerBuffer.
    std::uint64_t stagingBytes() const { return std::uint64_t{blockSize} * framesPerBuffer(); }

    // When blockSize is smaller than a frame, consecutive frames overlap and
    // the last frame of a buffer reaches this many bytes past stagingBytes();
    // the staging area is enlarged by it and that tail stays zero.
    std::uint64_t stagingOverhang() const { return blockSize < frameBytes() ? frameBytes() - blockSize : 0; }

    // What the player allocates for the staging area.
    std::uint64_t stagingAllocationBytes() const { return stagingBytes() + stagingOverhang(); }

    // The format's average byte rate: bitsPerSample x channels x sampleRate / 8.
    // The device format carries it in 32 bits; above that it cannot be had.
    std::uint64_t byteRate() const {
        return saturatingProduct(std::uint64_t{bitsPerSample} * channels, sampleRate) / 8;
    }

    // True when the ring and the staging area have sizes that can be
    // allocated at all (each within kLargestAllocation and the address
    // space). The player refuses other settings with its memory message
    // instead of allocating a wrapped-around size.
    bool sizesFit() const;
};

// Applies, in place and in this order: a loop start at or beyond the loop
// end means no loop (loopEnd = kNoLoopEnd); an offset beyond the loop end
// restarts at 0 (an offset equal to it is kept); a block size of 0 becomes
// frameBytes(). Nothing else is validated or aligned.
void normalizeSettings(PlaybackSettings& settings);

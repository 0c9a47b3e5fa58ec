#include "frame_conversion.h"

#include <cstddef>
#include <cstring>

namespace {

// Copies frames of a size known at compile time, so each copy is a few moves.
template <std::size_t kFrameBytes>
void copyFixedFrames(std::uint8_t* out, const std::uint8_t* in, std::uint32_t frameCount,
                     std::ptrdiff_t stride) {
    for (std::uint32_t k = 0; k < frameCount; ++k, out += kFrameBytes, in += stride) {
        std::memcpy(out, in, kFrameBytes);
    }
}

// XORs 0x80 into the top byte of every sample with whole 64-bit words. The
// bytes to flip repeat every 8 bytes for widths 1, 2 and 4 and every 24 for
// width 3, so a group of kGroupBytes (a multiple of that period) is a fixed
// set of word masks; groups of several words let the compiler use vector
// registers.
template <std::size_t kGroupBytes>
void flipWords(std::uint8_t* data, std::size_t bytes, std::uint32_t bytesPerSample) {
    constexpr std::size_t kWords = kGroupBytes / 8;
    std::uint8_t pattern[kGroupBytes] = {};
    for (std::size_t i = bytesPerSample - 1; i < kGroupBytes; i += bytesPerSample) pattern[i] = 0x80;
    std::uint64_t masks[kWords];
    std::memcpy(masks, pattern, kGroupBytes);
    std::size_t i = 0;
    for (; i + kGroupBytes <= bytes; i += kGroupBytes) {
        std::uint64_t words[kWords];
        std::memcpy(words, data + i, kGroupBytes);
        for (std::size_t w = 0; w < kWords; ++w) words[w] ^= masks[w];
        std::memcpy(data + i, words, kGroupBytes);
    }
    for (; i < bytes; ++i) data[i] ^= pattern[i % kGroupBytes];
}

}  // namespace

void extractFrames(std::uint8_t* destination, const std::uint8_t* source, std::uint32_t frameCount,
                   std::uint32_t frameBytes, std::int32_t skip) {
    const std::uint64_t total = std::uint64_t{frameCount} * frameBytes;
    if (total == 0) return;
    if (skip == 0) {
        std::memcpy(destination, source, static_cast<std::size_t>(total));
        return;
    }
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(frameBytes) + skip;
    switch (frameBytes) {
        case 1: return copyFixedFrames<1>(destination, source, frameCount, stride);
        case 2: return copyFixedFrames<2>(destination, source, frameCount, stride);
        case 3: return copyFixedFrames<3>(destination, source, frameCount, stride);
        case 4: return copyFixedFrames<4>(destination, source, frameCount, stride);
        case 6: return copyFixedFrames<6>(destination, source, frameCount, stride);
        case 8: return copyFixedFrames<8>(destination, source, frameCount, stride);
        case 12: return copyFixedFrames<12>(destination, source, frameCount, stride);
        case 16: return copyFixedFrames<16>(destination, source, frameCount, stride);
        case 24: return copyFixedFrames<24>(destination, source, frameCount, stride);
        case 32: return copyFixedFrames<32>(destination, source, frameCount, stride);
        case 48: return copyFixedFrames<48>(destination, source, frameCount, stride);
        case 64: return copyFixedFrames<64>(destination, source, frameCount, stride);
        default:
            for (std::uint32_t k = 0; k < frameCount; ++k) {
                std::memcpy(destination, source, frameBytes);
                destination += frameBytes;
                source += stride;
            }
    }
}

void flipSampleSign(std::uint8_t* data, std::uint32_t sampleCount, std::uint32_t bytesPerSample) {
    if (bytesPerSample == 0) return;
    const std::size_t bytes = static_cast<std::size_t>(std::uint64_t{sampleCount} * bytesPerSample);
    switch (bytesPerSample) {
        case 1:
        case 2:
        case 4: return flipWords<32>(data, bytes, bytesPerSample);
        case 3: return flipWords<96>(data, bytes, bytesPerSample);
        default:
            for (std::size_t i = bytesPerSample - 1; i < bytes; i += bytesPerSample) data[i] ^= 0x80;
    }
}

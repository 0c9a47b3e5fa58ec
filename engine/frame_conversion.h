// The two byte-level conversions from file bytes to device bytes.
#pragma once

#include <cstdint>

// Packs frameCount frames of frameBytes each into destination: output frame
// k is the frameBytes bytes that start k x (frameBytes + skip) bytes into
// source, so with skip = blockSize - frameBytes the leading frameBytes of
// every block are kept and the rest of each block dropped. A negative skip
// makes source frames overlap. destination and source must not overlap.
void extractFrames(std::uint8_t* destination, const std::uint8_t* source, std::uint32_t frameCount,
                   std::uint32_t frameBytes, std::int32_t skip);

// Inverts the top bit (the last, most significant byte's 0x80) of each of
// sampleCount little-endian samples of bytesPerSample bytes; at 8 bits that
// is every byte. A bytesPerSample of 0 changes nothing.
void flipSampleSign(std::uint8_t* data, std::uint32_t sampleCount, std::uint32_t bytesPerSample);

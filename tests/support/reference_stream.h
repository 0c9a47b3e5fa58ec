// An independent, deliberately plain model of the bytes the device is to
// play for a file and its (normalised) settings: one file byte at a time in
// playback order, frames cut out by index arithmetic, signs flipped byte by
// byte. Tests compare the engine's fast paths against it.
#pragma once

#include <cstdint>
#include <vector>

#include "playback_settings.h"

class ReferenceStream {
public:
    ReferenceStream(std::vector<std::uint8_t> file, const PlaybackSettings& settings);

    // The next ring buffer's bytes, as produced from the file (the lead-in
    // buffers are not part of this stream).
    std::vector<std::uint8_t> nextBuffer();

    // The lead-in: what a stretch of zero file bytes gives.
    std::vector<std::uint8_t> leadInBuffer() const;

private:
    std::uint8_t nextFileByte();
    void flip(std::vector<std::uint8_t>& buffer) const;

    std::vector<std::uint8_t> file_;
    PlaybackSettings settings_;
    std::uint64_t position_;
};

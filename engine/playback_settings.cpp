#include "playback_settings.h"

#include <cstdint>

bool PlaybackSettings::sizesFit() const {
    constexpr std::uint64_t addressable =
        SIZE_MAX < kLargestAllocation ? std::uint64_t{SIZE_MAX} : kLargestAllocation;
    return ringBytes() <= addressable && stagingAllocationBytes() <= addressable;
}

void normalizeSettings(PlaybackSettings& settings) {
    if (settings.loopStart >= settings.loopEnd) settings.loopEnd = kNoLoopEnd;
    if (settings.offset > settings.loopEnd) settings.offset = 0;
    if (settings.blockSize == 0) settings.blockSize = static_cast<std::uint32_t>(settings.frameBytes());
}

#include "support/reference_stream.h"

ReferenceStream::ReferenceStream(std::vector<std::uint8_t> file, const PlaybackSettings& settings)
    : file_(std::move(file)), settings_(settings), position_(settings.offset) {}

std::uint8_t ReferenceStream::nextFileByte() {
    const bool looping = settings_.loopStart < settings_.loopEnd && settings_.loopEnd != kNoLoopEnd;
    if (looping && position_ >= settings_.loopEnd) position_ = settings_.loopStart;
    const std::uint8_t byte = position_ < file_.size() ? file_[static_cast<std::size_t>(position_)] : 0;
    ++position_;
    return byte;
}

void ReferenceStream::flip(std::vector<std::uint8_t>& buffer) const {
    const std::size_t width = settings_.bytesPerSample();
    if (!settings_.unsignedSamples || width == 0) return;
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        if (i % width == width - 1) buffer[i] ^= 0x80;
    }
}

std::vector<std::uint8_t> ReferenceStream::nextBuffer() {
    const std::size_t frames = settings_.framesPerBuffer();
    const std::size_t frameBytes = static_cast<std::size_t>(settings_.frameBytes());
    const std::size_t block = settings_.blockSize;

    std::vector<std::uint8_t> staging(frames * block);
    for (auto& byte : staging) byte = nextFileByte();

    std::vector<std::uint8_t> buffer(frames * frameBytes);
    for (std::size_t k = 0; k < frames; ++k) {
        for (std::size_t j = 0; j < frameBytes; ++j) {
            const std::size_t from = k * block + j;
            buffer[k * frameBytes + j] = from < staging.size() ? staging[from] : 0;
        }
    }
    flip(buffer);
    return buffer;
}

std::vector<std::uint8_t> ReferenceStream::leadInBuffer() const {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(settings_.bufferBytes()));
    flip(buffer);
    return buffer;
}

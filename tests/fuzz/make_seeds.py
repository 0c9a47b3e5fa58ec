#!/usr/bin/env python3
"""Writes the hand-made seeds of the fuzz corpus (tests/fuzz/corpus/seed-*),
one per row below, in the input layout of stream_check.h: eight
little-endian 32-bit words (channels, sampleRate, bitsPerSample, offset,
loopStart, loopEnd, blockSize, control), then the file's bytes. The other
files in the corpus are inputs the fuzzer kept; tools/fuzz --merge adds
them."""

import os
import struct

NO_LOOP = 0xFFFFFFFF
UNSIGNED, REFUSE_ONCE = 1, 8


def buffers(n):
    return (n - 1) << 1


# name: channels, rate, bits, offset, loopStart, loopEnd, block, control, file bytes
SEEDS = {
    "stereo16": (2, 44100, 16, 0, 0, 0, 0, 0, 600),
    "offset-flipped": (2, 44100, 16, 123, 0, 0, 0, UNSIGNED | buffers(2), 900),
    "six-channels-kept-to-two": (2, 48000, 16, 0, 0, 0, 12, buffers(2), 1200),
    "mono24-wider-blocks": (1, 22050, 24, 5, 0, 0, 7, UNSIGNED, 700),
    "quad32-loop-unaligned": (4, 96000, 32, 0, 100, 1301, 0, UNSIGNED | buffers(3), 1500),
    "mono8-seven-byte-loop": (1, 8000, 8, 40, 40, 47, 0, UNSIGNED, 100),
    "one-byte-loop": (2, 44100, 16, 3, 3, 4, 0, buffers(2), 10),
    "loop-eight-blocks": (2, 16000, 16, 64, 64, 96, 0, 0, 200),
    "offset-beyond-loop-end": (3, 192000, 24, 900, 100, 500, 0, buffers(2), 1000),
    "block-smaller-than-frame": (2, 44100, 24, 0, 0, 0, 2, 0, 800),
    "loop-past-end-of-file": (2, 12000, 8, 0, 500, 9000, 3, UNSIGNED, 600),
    "loop-start-past-end-of-file": (1, 8000, 16, 0, 700, 900, 0, buffers(3), 300),
    "sixteen-channels": (16, 8000, 32, 17, 0, NO_LOOP, 0, 0, 1100),
    "odd-width-12-bits": (3, 8000, 12, 1, 0, 0, 0, UNSIGNED, 300),
    "zero-width": (2, 8000, 0, 0, 0, 0, 0, UNSIGNED, 40),
    "zero-rate": (1, 0, 16, 0, 0, 0, 0, 0, 100),
    "refused-buffer-retried": (2, 44100, 16, 0, 0, 0, 0, REFUSE_ONCE | buffers(3), 500),
    "offset-past-2GiB": (1, 8000, 8, 0x80000010, 0, 0, 0, 0, 64),
    "loop-end-near-4GiB": (1, 8000, 16, 0xFFFFF000, 0xFFFFE000, 0xFFFFFFF0, 0, buffers(2), 64),
    "block-of-1MiB-refused": (2, 44100, 16, 0, 0, 0, 1 << 20, 0, 16),
    "byte-rate-above-32-bits-refused": (16, 0xFFFFFFFF, 32, 0, 0, 0, 0, 0, 16),
    "channels-above-16-bits-refused": (70000, 8000, 8, 0, 0, 0, 0, 0, 16),
    "huge-width-refused": (2, 8000, 0x80000000, 0, 0, 0, 0, 0, 16),
}


def pattern(n, seed):
    out = bytearray()
    for i in range(n):
        x = (i * 2654435761 + seed * 40503) & 0xFFFFFFFF
        x ^= x >> 15
        x = (x * 2246822519) & 0xFFFFFFFF
        x ^= x >> 13
        out.append(x >> 24)
    return bytes(out)


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    os.makedirs(folder, exist_ok=True)
    for seed, (name, row) in enumerate(SEEDS.items()):
        *words, length = row
        with open(os.path.join(folder, "seed-" + name), "wb") as f:
            f.write(struct.pack("<8I", *words) + pattern(length, seed + 1))


if __name__ == "__main__":
    main()

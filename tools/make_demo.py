#!/usr/bin/env python3
"""Writes the demo file: three seconds of headerless PCM, 6 channels of
signed 16-bit little-endian samples at 44100 Hz (12-byte frames).

Channels 1 and 2 hold a recognisable tone, an A (440 Hz) that sounds in
short beeps, four a second; channels 3 to 6 hold quiet noise. Played with the
right layout the beeps are clean; with 2 channels and a block size of 12
only the tone channels are heard.

Usage: make_demo.py OUTPUT.raw
"""

import math
import random
import struct
import sys

RATE = 44100
CHANNELS = 6
SECONDS = 3


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_demo.py OUTPUT.raw")
    noise = random.Random(1)
    frames = bytearray()
    for n in range(RATE * SECONDS):
        t = n / RATE
        beep_on = (t * 4) % 1 < 0.5
        tone = int(12000 * math.sin(2 * math.pi * 440 * t)) if beep_on else 0
        rest = [noise.randint(-600, 600) for _ in range(CHANNELS - 2)]
        frames += struct.pack("<%dh" % CHANNELS, tone, tone, *rest)
    with open(sys.argv[1], "wb") as out:
        out.write(frames)


if __name__ == "__main__":
    main()

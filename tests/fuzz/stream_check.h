// The fuzz target's check, shared by the libFuzzer binary and by the test
// that replays the saved corpus: one input is a set of playback settings and
// a file; the player, above a fake device and timer, must refuse the
// settings exactly when their sizes or format cannot be had, and otherwise
// hand the device the lead-in and then buffer after buffer what the plain
// reference model of the byte stream gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// An input is read as eight little-endian 32-bit words, missing bytes taken
// as zero, followed by the file's bytes:
//   channels, sampleRate, bitsPerSample, offset, loopStart, loopEnd,
//   blockSize, control
// The first seven are the settings as the dialog hands them over, any value
// at all; normalisation is applied as at Play. In control, bit 0 is
// unsignedSamples, bits 1 and 2 give how many file buffers to compare after
// the lead-in (1 to 4), and bit 3 makes the device refuse the first buffer
// after the lead-in once (the tick must submit it again later).
// A width that is not a whole number of bytes may be refused with the device
// message; if it is played, only memory safety and the release at stop are
// checked: its buffers are longer than their frames.
inline constexpr std::size_t kStreamCheckHeaderBytes = 32;

// Settings whose ring, staging area and frame count together exceed this
// are not played (their sizes are legal, but a fuzzer cannot afford them);
// they are still checked for refusal when their sizes cannot be had at all.
inline constexpr std::uint64_t kStreamCheckBudget = std::uint64_t{4} << 20;

// Runs one input. Returns an empty string when everything held, otherwise
// what went wrong, in the user's terms, with the settings.
std::string checkStream(const std::uint8_t* data, std::size_t size);

// What a replay leaves behind of the frames it shows: a line per presented
// frame with a hash of its pixels (to hold a replay against the frames it
// showed before), and pictures of chosen frames. Asked for through the
// environment by the entry: WINLAYER_FRAME_HASHES (a file),
// WINLAYER_FRAMES (a folder) and WINLAYER_FRAMES_EVERY (N: every Nth frame).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace layer {

// A 16-bit 5-6-5 frame was presented.
void NoteFrameShown(const std::uint8_t* pixels, int width, int height, int pitch);
// Writes out what is held back; the process is about to end.
void FlushFrameOutput();

// FNV-1a (64-bit) of the frame's rows, two little-endian bytes a pixel,
// without the padding at the ends of rows.
std::uint64_t FrameHash(const std::uint8_t* pixels, int width, int height, int pitch);
// A PNG file (8-bit RGB, stored uncompressed) of the frame, each pixel
// widened to the nearest 8-bit values.
std::vector<std::uint8_t> FramePng(const std::uint8_t* pixels, int width, int height, int pitch);

}  // namespace layer

// Files the layer reads by name (waves through mmioOpenA, bitmaps through
// LoadImageA): only regular files, and never a wait on anything else. Opening
// a FIFO for reading waits for a writer, and a device may never end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace layer {

// A descriptor open for reading on a regular file, or -1 with errno set
// (EISDIR for a folder, EINVAL for a FIFO, socket or device).
int OpenRegularFile(const char* name);

// The whole of a regular file of at most `limit` bytes. False with errno set
// otherwise (EFBIG when it is larger).
bool ReadRegularFile(const char* name, std::size_t limit, std::vector<std::uint8_t>& bytes);

}  // namespace layer

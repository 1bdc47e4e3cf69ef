// Small RIFF images built byte by byte, so every test shows the exact layout
// it feeds in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace riff {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void Put16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutId(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

// A chunk with its declared size (which a hostile file may get wrong) and
// its body, padded to an even length unless told otherwise.
inline Bytes Chunk(const char* id, const Bytes& body, std::int64_t declared = -1, bool pad = true) {
    Bytes out;
    PutId(out, id);
    Put32(out, static_cast<std::uint32_t>(declared < 0 ? body.size() : declared));
    out.insert(out.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) out.push_back(0);
    return out;
}

inline Bytes Riff(const char* form, const std::vector<Bytes>& chunks, std::int64_t declared = -1) {
    Bytes body;
    PutId(body, form);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body, declared);
}

// A "fmt " body: PCM-shaped, with the given tag and an optional extra-size word.
inline Bytes Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    bool extraSize = false) {
    Bytes out;
    const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
    Put16(out, tag);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * align);
    Put16(out, align);
    Put16(out, bits);
    if (extraSize) Put16(out, 0);
    return out;
}

// Samples 0, 1, 2, ... as bytes, so a test can tell which ones arrived.
inline Bytes Counting(std::size_t count, std::uint8_t first = 0) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(first + i);
    return out;
}

}  // namespace riff

// FNV-1a, 64 bits: the layer's hash for telling bytes apart (frames shown by
// a replay, the resources a journal was recorded with). Fast and stable from
// one build and machine to the next; not for anything an attacker chooses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace layer {

inline constexpr std::uint64_t kFnv1aStart = 0xcbf29ce484222325ull;

// `hash` carried on over `size` more bytes; start from kFnv1aStart.
inline std::uint64_t Fnv1a(std::uint64_t hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace layer

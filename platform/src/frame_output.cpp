// Frame hashes and pictures of a replay's frames.
#include "frame_output.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fnv1a.h"
#include "journal_session.h"
#include "layer_log.h"
#include "rgb565.h"

namespace layer {

namespace {

struct FrameOutput {
    std::FILE* hashes = nullptr;
    std::string folder;
    unsigned long every = 1;
    unsigned long frame = 0;
};

FrameOutput& TheOutput() {
    static FrameOutput* output = [] {
        auto* out = new FrameOutput;
        if (const char* path = std::getenv("WINLAYER_FRAME_HASHES"); path && path[0]) {
            out->hashes = std::fopen(path, "w");
            if (!out->hashes) LogLine("frame hashes: cannot write %s", path);
        }
        if (const char* folder = std::getenv("WINLAYER_FRAMES"); folder && folder[0]) out->folder = folder;
        if (const char* every = std::getenv("WINLAYER_FRAMES_EVERY"); every && every[0]) {
            const unsigned long n = std::strtoul(every, nullptr, 10);
            out->every = n == 0 ? 1 : n;
        }
        return out;
    }();
    return *output;
}

std::array<std::uint32_t, 256> CrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t size, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = CrcTable();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& body) {
    PutBig32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBig32(out, Crc32(out.data() + typeAt, body.size() + 4));
}

// A zlib stream of stored (uncompressed) deflate blocks: the pictures are
// for looking at and comparing, and this keeps the layer free of a deflater.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> out = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

std::uint16_t PixelAt(const std::uint8_t* row, int x) {
    return static_cast<std::uint16_t>(row[x * 2] | (row[x * 2 + 1] << 8));
}

}  // namespace

std::uint64_t FrameHash(const std::uint8_t* pixels, int width, int height, int pitch) {
    std::uint64_t hash = kFnv1aStart;
    for (int y = 0; y < height; ++y)
        hash = Fnv1a(hash, pixels + static_cast<std::ptrdiff_t>(y) * pitch, static_cast<std::size_t>(width) * 2);
    return hash;
}

std::vector<std::uint8_t> FramePng(const std::uint8_t* pixels, int width, int height, int pitch) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + static_cast<std::size_t>(width) * 3));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + static_cast<std::ptrdiff_t>(y) * pitch;
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = WidenRgb565(PixelAt(row, x));
            raw.push_back(static_cast<std::uint8_t>(rgb >> 16));
            raw.push_back(static_cast<std::uint8_t>(rgb >> 8));
            raw.push_back(static_cast<std::uint8_t>(rgb));
        }
    }
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBig32(header, static_cast<std::uint32_t>(width));
    PutBig32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, not interlaced
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

void NoteFrameShown(const std::uint8_t* pixels, int width, int height, int pitch) {
    FrameOutput& out = TheOutput();
    const unsigned long frame = out.frame++;
    if (out.hashes)
        std::fprintf(out.hashes, "%lu %lu %016llx\n", frame, static_cast<unsigned long>(LastJournalTick()),
                     static_cast<unsigned long long>(FrameHash(pixels, width, height, pitch)));
    if (!out.folder.empty() && frame % out.every == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06lu.png", frame);
        const std::string path = out.folder + name;
        const std::vector<std::uint8_t> png = FramePng(pixels, width, height, pitch);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(png.data(), 1, png.size(), file) != png.size())
            LogLine("frames: cannot write %s", path.c_str());
        if (file) std::fclose(file);
    }
}

void FlushFrameOutput() {
    FrameOutput& out = TheOutput();
    if (out.hashes) std::fflush(out.hashes);
}

}  // namespace layer

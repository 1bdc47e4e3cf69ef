#include "files.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_map>

namespace art {
namespace {

std::uint32_t Pack(Rgb8 c) { return (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b; }
Rgb8 Unpack(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}
std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// Median cut over weighted colours: at most `count` representative colours.
std::vector<Rgb8> MedianCut(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& colours, std::size_t count) {
    struct Bucket {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> items;
    };
    std::vector<Bucket> buckets{{colours}};
    auto channel = [](std::uint32_t c, int k) { return static_cast<int>((c >> (16 - 8 * k)) & 0xFF); };
    while (buckets.size() < count) {
        // Split the bucket with the widest weighted spread.
        int bestBucket = -1, bestChannel = 0;
        double bestScore = 0;
        for (std::size_t i = 0; i < buckets.size(); ++i) {
            if (buckets[i].items.size() < 2) continue;
            std::uint64_t weight = 0;
            for (auto& it : buckets[i].items) weight += it.second;
            for (int k = 0; k < 3; ++k) {
                int lo = 255, hi = 0;
                for (auto& it : buckets[i].items) {
                    lo = std::min(lo, channel(it.first, k));
                    hi = std::max(hi, channel(it.first, k));
                }
                double score = static_cast<double>(hi - lo) * std::sqrt(static_cast<double>(weight)) * (k == 1 ? 1.2 : 1.0);
                if (score > bestScore) bestScore = score, bestBucket = static_cast<int>(i), bestChannel = k;
            }
        }
        if (bestBucket < 0) break;
        auto& items = buckets[static_cast<std::size_t>(bestBucket)].items;
        std::sort(items.begin(), items.end(),
                  [&](auto& a, auto& b) { return channel(a.first, bestChannel) < channel(b.first, bestChannel); });
        std::uint64_t total = 0, run = 0;
        for (auto& it : items) total += it.second;
        std::size_t cut = 1;
        for (; cut < items.size(); ++cut) {
            run += items[cut - 1].second;
            if (run * 2 >= total) break;
        }
        Bucket upper{{items.begin() + static_cast<long>(cut), items.end()}};
        items.resize(cut);
        buckets.push_back(std::move(upper));
    }
    std::vector<Rgb8> out;
    for (auto& b : buckets) {
        double r = 0, g = 0, bl = 0, w = 0;
        for (auto& it : b.items) {
            Rgb8 c = Unpack(it.first);
            r += c.r * static_cast<double>(it.second);
            g += c.g * static_cast<double>(it.second);
            bl += c.b * static_cast<double>(it.second);
            w += it.second;
        }
        out.push_back({Byte(static_cast<float>(r / w)), Byte(static_cast<float>(g / w)), Byte(static_cast<float>(bl / w))});
    }
    return out;
}

int Nearest(const std::vector<Rgb8>& palette, Rgb8 c, std::size_t from) {
    int best = -1;
    long bestD = 0;
    for (std::size_t i = from; i < palette.size(); ++i) {
        long dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (best < 0 || d < bestD) best = static_cast<int>(i), bestD = d;
    }
    return best;
}

Rgb8 AwayFromKey(Rgb8 c, Rgb8 key) {
    while (To565(c) == To565(key)) {
        // Step the channel with the most headroom by one RGB565 level.
        if (c.g + 4 <= 255) c.g = static_cast<std::uint8_t>(c.g + 4);
        else if (c.r + 8 <= 255) c.r = static_cast<std::uint8_t>(c.r + 8);
        else c.g = static_cast<std::uint8_t>(c.g - 4);
    }
    return c;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

}  // namespace

IndexedImage Flatten(const Canvas& canvas, Rgb8 ground, bool keyed) {
    IndexedImage image;
    image.width = canvas.Width();
    image.height = canvas.Height();
    std::vector<Rgb8> flat(static_cast<std::size_t>(image.width * image.height));
    std::vector<bool> covered(flat.size());
    std::map<std::uint32_t, std::uint32_t> histogram;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const Pixel& p = canvas.At(x, y);
            std::size_t i = static_cast<std::size_t>(y * image.width + x);
            if (p.a < 0.5f) {
                flat[i] = ground;
                continue;
            }
            // Colours of partly covered pixels are taken over the ground, as
            // the picture would show them; nudged off the key if need be.
            float k = keyed ? 1.0f : p.a;
            Rgb8 c{Byte(p.r * k + ground.r * (1 - k)), Byte(p.g * k + ground.g * (1 - k)), Byte(p.b * k + ground.b * (1 - k))};
            if (keyed) c = AwayFromKey(c, ground);
            flat[i] = c;
            covered[i] = true;
            ++histogram[Pack(c)];
        }
    image.palette.push_back(ground);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> colours(histogram.begin(), histogram.end());
    std::vector<Rgb8> chosen;
    if (colours.size() <= 255) {
        for (auto& c : colours) chosen.push_back(Unpack(c.first));
    } else {
        chosen = MedianCut(colours, 255);
    }
    for (Rgb8 c : chosen) image.palette.push_back(keyed ? AwayFromKey(c, ground) : c);
    std::unordered_map<std::uint32_t, std::uint8_t> lookup;
    image.pixels.resize(flat.size());
    for (std::size_t i = 0; i < flat.size(); ++i) {
        if (!covered[i]) {
            image.pixels[i] = 0;
            continue;
        }
        std::uint32_t key = Pack(flat[i]);
        auto it = lookup.find(key);
        if (it == lookup.end()) {
            it = lookup.emplace(key, static_cast<std::uint8_t>(Nearest(image.palette, flat[i], keyed ? 1 : 0))).first;
        }
        image.pixels[i] = it->second;
    }
    return image;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteBmp8(const std::string& path, const IndexedImage& image) {
    std::size_t stride = (static_cast<std::size_t>(image.width) + 3) & ~static_cast<std::size_t>(3);
    std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(image.height));
    std::uint32_t offset = 14 + 40 + 256 * 4;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + pixelBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(image.width));
    Put32(out, static_cast<std::uint32_t>(image.height));  // bottom-up
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);  // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    for (std::size_t i = 0; i < 256; ++i) {
        Rgb8 c = i < image.palette.size() ? image.palette[i] : Rgb8{};
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) out.push_back(image.pixels[static_cast<std::size_t>(y * image.width + x)]);
        for (std::size_t k = static_cast<std::size_t>(image.width); k < stride; ++k) out.push_back(0);
    }
    return WriteBytes(path, out);
}

bool WriteWav(const std::string& path, const std::vector<float>& samples, int rate) {
    std::vector<std::uint8_t> out;
    std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 4 + 8 + 16 + 8 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, static_cast<std::uint32_t>(rate));
    Put32(out, static_cast<std::uint32_t>(rate * 2));
    Put16(out, 2);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        Put16(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))));
    }
    return WriteBytes(path, out);
}

namespace {
void PngChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    std::uint32_t len = static_cast<std::uint32_t>(data.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(len >> s));
    std::vector<std::uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size())));
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(crc >> s));
}
}  // namespace

bool WritePngRgba(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb) {
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (static_cast<std::size_t>(width) * 4 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = argb[static_cast<std::size_t>(y * width + x)];
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
            raw.push_back(static_cast<std::uint8_t>(p >> 24));
        }
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(size);
    if (compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
    packed.resize(size);
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    for (std::uint32_t v : {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        for (int s = 24; s >= 0; s -= 8) header.push_back(static_cast<std::uint8_t>(v >> s));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", packed);
    PngChunk(out, "IEND", {});
    return WriteBytes(path, out);
}

bool WriteIco(const std::string& path, const std::vector<const Canvas*>& images) {
    std::vector<std::vector<std::uint8_t>> bodies;
    for (const Canvas* canvas : images) {
        int w = canvas->Width(), h = canvas->Height();
        std::map<std::uint32_t, std::uint32_t> histogram;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Pixel& p = canvas->At(x, y);
                if (p.a >= 0.5f) ++histogram[Pack({Byte(p.r), Byte(p.g), Byte(p.b)})];
            }
        std::vector<Rgb8> palette{{0, 0, 0}};  // index 0: under the mask
        std::vector<std::pair<std::uint32_t, std::uint32_t>> colours(histogram.begin(), histogram.end());
        std::vector<Rgb8> chosen = colours.size() <= 15 ? std::vector<Rgb8>{} : MedianCut(colours, 15);
        if (colours.size() <= 15)
            for (auto& c : colours) chosen.push_back(Unpack(c.first));
        palette.insert(palette.end(), chosen.begin(), chosen.end());
        palette.resize(16);
        std::size_t stride = ((static_cast<std::size_t>(w) * 4 + 31) / 32) * 4;
        std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
        std::vector<std::uint8_t> body;
        Put32(body, 40);
        Put32(body, static_cast<std::uint32_t>(w));
        Put32(body, static_cast<std::uint32_t>(h * 2));
        Put16(body, 1);
        Put16(body, 4);
        Put32(body, 0);
        Put32(body, static_cast<std::uint32_t>((stride + maskStride) * static_cast<std::size_t>(h)));
        Put32(body, 0);
        Put32(body, 0);
        Put32(body, 16);
        Put32(body, 0);
        for (Rgb8 c : palette) body.insert(body.end(), {c.b, c.g, c.r, 0});
        std::vector<std::uint8_t> mask;
        for (int y = h - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(stride, 0), maskRow(maskStride, 0);
            for (int x = 0; x < w; ++x) {
                const Pixel& p = canvas->At(x, y);
                int index = 0;
                if (p.a >= 0.5f) {
                    index = Nearest(palette, {Byte(p.r), Byte(p.g), Byte(p.b)}, 1);
                } else {
                    maskRow[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
                row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(index << ((x % 2) ? 0 : 4));
            }
            body.insert(body.end(), row.begin(), row.end());
            mask.insert(mask.end(), maskRow.begin(), maskRow.end());
        }
        body.insert(body.end(), mask.begin(), mask.end());
        bodies.push_back(std::move(body));
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i]->Width()));
        out.push_back(static_cast<std::uint8_t>(images[i]->Height()));
        out.push_back(16);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
    return WriteBytes(path, out);
}

}  // namespace art

// The desktop icons: the Wanderer's face at the hicolor theme's sizes. From
// 48 pixels up it is the face of the sprites, drawn large; below that a
// face of the same colours is drawn on the pixel grid itself (a few bold
// features, a one-pixel outline, no shading), because the full drawing
// averages into a blur there.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"
#include "figures.h"
#include "files.h"

namespace art {

namespace {

constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// Below this the face is drawn for the grid rather than scaled.
constexpr int kSmallestScaledIcon = 48;

// The small face, designed on a 16-unit grid and laid on whole pixels at
// every small size: each feature is at least a pixel across, and outlines
// are exactly one pixel wide.
std::unique_ptr<Canvas> GridFace(int size) {
    auto c = std::make_unique<Canvas>(size, size);
    const float u = static_cast<float>(size) / 16.f;
    const Place at{0, 0, u};
    const float outline = std::max(1.f, 0.75f * u);  // canvas pixels
    const Rgb skin = Hex(0xEE8E6C), hair = Hex(0xC9C6CF), nose = Hex(0xE0504C), dark = Hex(0x2A1420);

    // Grey tufts behind the head, one each side.
    for (float cx : {2.5f, 13.5f}) c->Draw(at, Ellipse(cx, 6.5f, 2.2f, 2.7f), hair, kInk, outline);
    // The head: its edges fall on whole pixels at 16.
    c->Draw(at, Ellipse(8, 9, 6, 6.3f), skin, kInk, outline);
    // Scowling brows: they carry the mood, so at 16 they are bolder than a
    // scaled line would be, or they fade into the skin.
    const float stroke = size <= 16 ? 0.75f : 0.6f;
    c->Draw(at, Capsule(4.3f, 5.4f, 6.7f, 6.6f, stroke), dark);
    c->Draw(at, Capsule(11.7f, 5.4f, 9.3f, 6.6f, stroke), dark);
    // Eyes: a whole pixel each at 16, below the brows with skin between.
    for (float ex : {5.5f, 10.5f}) c->Draw(at, Box(ex, 8.5f, 0.5f, 0.5f), dark);
    // The big red nose in the middle, with a glint.
    c->Draw(at, Circle(8, 10.6f, 1.8f), nose);
    c->Draw(at, Box(7.5f, 10.f, 0.35f, 0.35f), Mix(nose, Hex(0xFFFFFF), 0.65f));
    // A frown across the chin.
    c->Draw(at, Curve({5.3f, 13.7f}, {8, 11.9f}, {10.7f, 13.7f}, stroke - 0.1f), dark);
    // At the smallest size a half-covered edge pixel only blurs the outline:
    // each pixel is either the face or not.
    if (size <= 16)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) c->At(x, y).a = c->At(x, y).a >= 0.5f ? 1.f : 0.f;
    return c;
}

bool WriteIconPng(const std::string& path, const Canvas& icon) {
    const int w = icon.Width(), h = icon.Height();
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(w * h));
    auto byte = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixel& p = icon.At(x, y);
            argb[static_cast<std::size_t>(y * w + x)] =
                (byte(p.a * 255) << 24) | (byte(p.r) << 16) | (byte(p.g) << 8) | byte(p.b);
        }
    return WritePngRgba(path, w, h, argb);
}

}  // namespace

bool MakeDesktopIcons(const std::string& resDir) {
    const std::string dir = resDir + "/icons";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    bool ok = !error;
    for (int size : kIconSizes) {
        std::fprintf(stderr, "  icon %dx%d\n", size, size);
        auto icon = size < kSmallestScaledIcon ? GridFace(size) : WandererFace(size, 2, 2);
        ok = WriteIconPng(dir + "/zarnok-" + std::to_string(size) + ".png", *icon) && ok;
    }
    return ok;
}

}  // namespace art

#include "surface_readback.h"

#include <gtest/gtest.h>

#include <cstring>

#include "scores/digit_counter.h"
#include "scores/hiscore_table.h"
#include "scores/score_panel.h"
#include "scores/text_line.h"
#include "shell/globals.h"
#include "surface_helpers.h"

namespace scores_test {

bool Image::SameBlock(int x, int y, const Image& other, int ox, int oy, int w, int h) const {
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            if (At(x + col, y + row) != other.At(ox + col, oy + row)) return false;
    return true;
}

bool Image::Uniform(int x, int y, int w, int h, std::uint32_t value) const {
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            if (At(x + col, y + row) != value) return false;
    return true;
}

namespace {

template <typename Visit>
void WithLock(IDirectDrawSurface7* surface, Visit visit) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    const HRESULT locked = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
    ASSERT_EQ(locked, DD_OK);
    visit(desc);
    surface->Unlock(nullptr);
}

}  // namespace

Image ReadBack(IDirectDrawSurface7* surface) {
    Image image;
    if (surface == nullptr) {
        ADD_FAILURE() << "no surface to read";
        return image;
    }
    WithLock(surface, [&](const DDSURFACEDESC2& desc) {
        image.width = static_cast<int>(desc.dwWidth);
        image.height = static_cast<int>(desc.dwHeight);
        const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
        image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
        const auto* base = static_cast<const unsigned char*>(desc.lpSurface);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                std::uint32_t value = 0;
                std::memcpy(&value, base + static_cast<std::ptrdiff_t>(y) * desc.lPitch + x * bytes, bytes);
                image.pixels[static_cast<std::size_t>(y) * image.width + x] = value;
            }
    });
    return image;
}

void Fill(IDirectDrawSurface7* surface, std::uint32_t value) {
    WithLock(surface, [&](const DDSURFACEDESC2& desc) {
        const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
        auto* base = static_cast<unsigned char*>(desc.lpSurface);
        for (DWORD y = 0; y < desc.dwHeight; ++y)
            for (DWORD x = 0; x < desc.dwWidth; ++x)
                std::memcpy(base + static_cast<std::ptrdiff_t>(y) * desc.lPitch + x * bytes, &value, bytes);
    });
}

namespace {

struct Glyph {
    int left, top, width;
};

// The letter font's glyphs by character, written out independently of the game's table.
Glyph GlyphOf(char c) {
    static const Glyph kLetters[26] = {
        {0, 0, 35},     {35, 0, 27},    {62, 0, 32},    {94, 0, 40},    {134, 0, 31},   {165, 0, 33},  {198, 0, 32},
        {230, 0, 35},   {0, 55, 14},    {14, 55, 23},   {37, 55, 31},   {68, 55, 19},   {87, 55, 55},  {142, 55, 35},
        {177, 55, 34},  {211, 55, 32},  {0, 110, 44},   {44, 110, 35},  {79, 110, 26},  {105, 110, 28}, {133, 110, 34},
        {167, 110, 35}, {202, 110, 55}, {257, 110, 39}, {0, 165, 35},   {35, 165, 35},
    };
    if (c >= 'a' && c <= 'z') return kLetters[c - 'a'];
    return {70, 165, 30};
}

constexpr int kLetterHeight = 55;
constexpr int kDigitWidth = 30;
constexpr int kDigitHeight = 35;

}  // namespace

::testing::AssertionResult ShowsDigits(const Image& image, int x, int y, const std::string& glyphs) {
    const Image font = ReadBack(DigitCounter::font);
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const int glyph = glyphs[i] == '_' ? 10 : glyphs[i] - '0';
        if (!image.SameBlock(x + static_cast<int>(i) * kDigitWidth, y, font, glyph * kDigitWidth, 0, kDigitWidth,
                             kDigitHeight))
            return ::testing::AssertionFailure() << "place " << i << " is not glyph '" << glyphs[i] << "'";
    }
    return ::testing::AssertionSuccess();
}

std::uint32_t LetterBlank() { return ReadBack(TextLine::font).At(70, 165); }

::testing::AssertionResult ShowsText(const TextLine& line, const std::string& text) {
    const Image font = ReadBack(TextLine::font);
    const Image image = ReadBack(line.surface);
    if (image.width != line.lineWidth || image.height != kLetterHeight)
        return ::testing::AssertionFailure() << "surface is " << image.width << " x " << image.height;
    int x = 0;
    for (char c : text) {
        const Glyph g = GlyphOf(c);
        if (!image.SameBlock(x, 0, font, g.left, g.top, g.width, kLetterHeight))
            return ::testing::AssertionFailure() << "'" << c << "' is not drawn at " << x;
        x += g.width;
    }
    if (!image.Uniform(x, 0, image.width - x, kLetterHeight, LetterBlank()))
        return ::testing::AssertionFailure() << "not blank from " << x << " on";
    return ::testing::AssertionSuccess();
}

IDirectDrawSurface7* MakeTarget(int width, int height) { return MakeOffscreenSurface(directDraw, width, height); }

bool StartDisplay() {
    if (directDraw != nullptr) return true;
    IDirectDraw7* dd = nullptr;
    if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr) != DD_OK) {
        ADD_FAILURE() << "DirectDrawCreateEx failed";
        return false;
    }
    if (dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) {
        ADD_FAILURE() << "SetCooperativeLevel failed";
        return false;
    }
    directDraw = dd;
    const bool loaded = DigitCounter::LoadAssets() && ScorePanel::LoadAssets() && TextLine::LoadAssets() &&
                        HiscoreTable::LoadAssets();
    if (!loaded) ADD_FAILURE() << "the pictures did not load";
    return loaded;
}

}  // namespace scores_test

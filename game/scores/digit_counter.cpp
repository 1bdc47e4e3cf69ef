#include "scores/digit_counter.h"

#include <algorithm>

#include "scores/glyphs.h"
#include "scores/own_surface.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "surface_helpers.h"

IDirectDrawSurface7* DigitCounter::font = nullptr;

DigitCounter::DigitCounter(int x, int y, int digitCount, int value)
    : Sprite(x, y, 0, 0, nullptr, nullptr), digitCount(std::clamp(digitCount, 0, kMaxDigits)) {
    width = glyphs::kDigitWidth * this->digitCount;
    height = glyphs::kDigitHeight;
    surface = scores::MakeOwnSurface(width, height);
    SetValue(value);
    if (surface != nullptr) SetSrcColourKey(surface, 0, 0);
}

DigitCounter::~DigitCounter() { scores::ReleaseOwnSurface(surface); }

void DigitCounter::SetValue(int value) {
    if (surface == nullptr || font == nullptr) return;
    int places[kMaxDigits];
    glyphs::DigitGlyphs(value, digitCount, places);
    for (int i = 0; i < digitCount; ++i) {
        RECT glyph = glyphs::DigitRect(places[i]);
        surface->BltFast(static_cast<DWORD>(i * glyphs::kDigitWidth), 0, font, &glyph, DDBLTFAST_NOCOLORKEY);
    }
}

bool DigitCounter::LoadAssets() { return LoadBitmapToSurface(directDraw, &font, res::kDigitFontBitmap) != 0; }

#include "scores/text_line.h"

#include "scores/glyphs.h"
#include "scores/own_surface.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "surface_helpers.h"

IDirectDrawSurface7* TextLine::font = nullptr;

TextLine::TextLine(int x, int y, int width) : Sprite(x, y, 0, 0, nullptr, nullptr), lineWidth(width) {
    this->width = width;
    height = glyphs::kLetterHeight;
    surface = scores::MakeOwnSurface(width, height);
    SetText("");
    if (surface != nullptr) SetSrcColourKey(surface, 0, 0);
}

TextLine::~TextLine() { scores::ReleaseOwnSurface(surface); }

void TextLine::SetText(const char* text) {
    if (surface == nullptr || font == nullptr) return;
    int x = 0;
    for (const char* c = text; *c != 0; ++c) {
        RECT glyph = glyphs::LetterRect(glyphs::LetterGlyph(*c));
        const int glyphWidth = glyph.right - glyph.left;
        if (glyphWidth > lineWidth - x) break;
        surface->BltFast(static_cast<DWORD>(x), 0, font, &glyph, DDBLTFAST_NOCOLORKEY);
        x += glyphWidth;
    }
    // The blank glyph stretched over the rest wipes any longer earlier text.
    if (x < lineWidth) {
        RECT blank = glyphs::LetterRect(glyphs::kBlankLetter);
        RECT rest = {x, 0, lineWidth, glyphs::kLetterHeight};
        surface->Blt(&rest, font, &blank, 0, nullptr);
    }
}

bool TextLine::LoadAssets() { return LoadBitmapToSurface(directDraw, &font, res::kLetterFontBitmap) != 0; }

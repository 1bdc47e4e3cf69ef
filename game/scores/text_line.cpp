#include "scores/text_line.h"

#include "scores/glyphs.h"
#include "scores/own_surface.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "surface_helpers.h"

namespace {

// Virtual-key codes of a key-down's wParam.
constexpr int kKeyBackspace = 0x08;  // VK_BACK
constexpr int kKeyEnter = 0x0D;      // VK_RETURN
constexpr int kKeySpace = 0x20;      // VK_SPACE
constexpr int kKeyA = 0x41;          // letter keys 'A' to 'Z'
constexpr int kKeyZ = 0x5A;

}  // namespace

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

NameEntry::NameEntry(int x, int y, int width) : TextLine(x, y, width), name{}, length(0) {}

bool NameEntry::OnKey(int keyCode) {
    if (keyCode == kKeyEnter) return true;
    if (keyCode == kKeyBackspace) {
        if (length > 0) {
            name[--length] = 0;
            SetText(name);
        }
        return false;
    }
    if (length >= kMaxLength) return false;
    char typed;
    if (keyCode == kKeySpace) {
        typed = ' ';
    } else if (keyCode >= kKeyA && keyCode <= kKeyZ) {
        typed = static_cast<char>(keyCode - kKeyA + 'a');
    } else {
        return false;
    }
    name[length++] = typed;
    name[length] = 0;
    SetText(name);
    return false;
}

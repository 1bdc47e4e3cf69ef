// Every picture of the game, the icon and the contact sheet.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"
#include "figures.h"
#include "files.h"

namespace art {
namespace {

constexpr Rgb8 kMagenta{255, 0, 255};
constexpr Rgb8 kBlack{0, 0, 0};
constexpr Rgb8 kGreen{24, 255, 0};
constexpr float kDigitSize = 35;
constexpr float kLetterSize = 44;

struct Picture {
    int id;
    std::string file;
    std::unique_ptr<Canvas> canvas;
    Rgb8 ground;
    bool keyed;
    IndexedImage image;
    std::vector<std::array<int, 4>> guides;  // rectangles outlined on the contact sheet
};

TextStyle Gold(float outline) {
    TextStyle s;
    s.fill = [](float, float y) { return Mix(Hex(0xFFF4A8), Hex(0xFF9A28), Clamp01((y - 4) / 36)); };
    s.outline = Hex(0x6A2414);
    s.outlineWidth = outline;
    return s;
}

TextStyle GoldSized(float outline, float height) {
    TextStyle s = Gold(outline);
    s.fill = [height](float, float y) { return Mix(Hex(0xFFF6B4), Hex(0xFF9020), Clamp01(y / height)); };
    return s;
}

TextStyle Plain(Rgb fill, Rgb outline, float width) {
    TextStyle s;
    s.fill = Flat(fill);
    s.outline = outline;
    s.outlineWidth = width;
    return s;
}

// ---- 109 starfield ----
void PaintSky(Canvas& c, std::uint32_t seed, float nebula, int stars) {
    c.Fill(VerticalGradient(0, Hex(0x060A20), 600, Hex(0x1A1236)));
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            float fx = static_cast<float>(x), fy = static_cast<float>(y);
            float n1 = Fractal(fx / 210, fy / 170, seed, 5);
            float n2 = Fractal(fx / 150 + 40, fy / 190 + 9, seed + 7, 5);
            float band = std::exp(-std::pow((fy - 0.45f * fx - 120) / 230, 2.0f));
            float a1 = Clamp01((n1 - 0.48f) / 0.35f) * band * nebula;
            float a2 = Clamp01((n2 - 0.55f) / 0.3f) * (0.6f + 0.4f * band) * nebula * 0.7f;
            c.Blend(x, y, Hex(0x6A3C9A), a1);
            c.Blend(x, y, Hex(0x2A7A8E), a2);
        }
    Random rnd(seed);
    for (int i = 0; i < stars; ++i) {
        int x = static_cast<int>(rnd.Range(0, 800)), y = static_cast<int>(rnd.Range(0, 600));
        float b = rnd.Range(0.25f, 0.8f);
        Rgb tint = rnd.Unit() < 0.3f ? Hex(0xBFD4FF) : (rnd.Unit() < 0.3f ? Hex(0xFFE8C0) : Hex(0xFFFFFF));
        c.Blend(x, y, tint, b);
    }
    Place one{0, 0, 1};
    for (int i = 0; i < stars / 8; ++i) {
        float x = rnd.Range(4, 796), y = rnd.Range(4, 596), r = rnd.Range(0.7f, 1.4f);
        Rgb tint = rnd.Unit() < 0.4f ? Hex(0xCFE0FF) : Hex(0xFFF6E0);
        c.SetBounds(x - 4, y - 4, x + 4, y + 4);
        c.Draw(one, Circle(x, y, r), [&](float px, float py) {
            return Mix(Hex(0xFFFFFF), tint, Clamp01(std::hypot(px - x, py - y) / r));
        });
    }
    for (int i = 0; i < stars / 100; ++i) {
        float x = rnd.Range(12, 788), y = rnd.Range(12, 588), r = rnd.Range(2.0f, 3.6f);
        Rgb tint = rnd.Unit() < 0.5f ? Hex(0xA8C4FF) : Hex(0xFFE2B0);
        // A soft glow, thin glints and a small hot core.
        int R = static_cast<int>(r * 3.2f);
        for (int py = -R; py <= R; ++py)
            for (int px = -R; px <= R; ++px) {
                float d = std::hypot(static_cast<float>(px), static_cast<float>(py)) / static_cast<float>(R);
                if (d < 1) c.Blend(static_cast<int>(x) + px, static_cast<int>(y) + py, tint, 0.45f * (1 - d) * (1 - d));
            }
        c.SetBounds(x - 14, y - 14, x + 14, y + 14);
        c.Draw(one, Star(x, y, r * 3.0f, r * 0.16f, 4), Mix(tint, Hex(0xFFFFFF), 0.6f));
        c.Draw(one, Circle(x, y, r * 0.55f), Hex(0xFFFFFF));
    }
    c.ClearBounds();
}

std::unique_ptr<Canvas> Starfield() {
    auto c = std::make_unique<Canvas>(800, 600);
    PaintSky(*c, 9, 0.42f, 1100);
    return c;
}

// ---- 110 Wanderer sheet ----
std::unique_ptr<Canvas> WandererSheet() {
    auto c = std::make_unique<Canvas>(500, 400);
    for (int f = 0; f < 20; ++f) {
        int col = f % 5, row = f / 5;
        Place at{static_cast<float>(col * 100), static_cast<float>(row * 100), 1};
        c->SetClip(col * 100, row * 100, col * 100 + 100, row * 100 + 100);
        Place box{at.ox + 12, at.oy + 1, 1};
        if (f < 10) DrawWanderer(*c, at, f % 5, f >= 5);
        else if (f == 10) DrawBox(*c, box);
        else if (f <= 17) DrawEatenBox(*c, at, f - 10);
        else {
            DrawBox(*c, box, f == 19 ? 1.0f : 0.0f);
            DrawSleepMarks(*c, at, f - 18);
        }
    }
    c->ClearClip();
    return c;
}

// ---- 111 drinks ----
std::unique_ptr<Canvas> Drinks() {
    auto c = std::make_unique<Canvas>(90, 100);
    Place at{0, 0, 1};
    c->SetClip(0, 0, 50, 100);
    DrawBottle(*c, at);
    c->SetClip(50, 0, 90, 50);
    DrawTumbler(*c, at);
    c->SetClip(50, 50, 90, 100);
    DrawPint(*c, at);
    c->ClearClip();
    return c;
}

// ---- 113 Spectre sheet ----
std::unique_ptr<Canvas> SpectreSheet() {
    auto c = std::make_unique<Canvas>(600, 200);
    Canvas whole(100, 100);
    DrawSpectre(whole, Place{0, 0, 1});
    for (int f = 0; f < 12; ++f) {
        int col = f % 6, row = f / 6;
        int ox = col * 100, oy = row * 100;
        c->SetClip(ox, oy, ox + 100, oy + 100);
        // The figure fills in from its heart outwards, in a shimmer of specks.
        float t = f >= 11 ? 2.0f : static_cast<float>(f) / 10.5f;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const Pixel& p = whole.At(x, y);
                if (p.a <= 0) continue;
                float fx = static_cast<float>(x), fy = static_cast<float>(y);
                float reveal = 0.55f * Fractal(fx / 5, fy / 5, 77, 3) + 0.45f * std::hypot(fx - 50, fy - 45) / 50;
                if (reveal < t * 1.05f) c->Blend(ox + x, oy + y, {p.r, p.g, p.b}, p.a);
            }
        Place at{static_cast<float>(ox), static_cast<float>(oy), 1};
        float k = static_cast<float>(f);
        float main = f >= 11 ? 0 : 5 + 16 * std::sin(std::min(1.f, k / 8) * 3.14159f * 0.5f) * (f >= 9 ? 0.6f : 1.f);
        DrawSparkle(*c, at, 50, 45, main, k * 0.18f);
        const float sat[][3] = {{24, 22, 2}, {78, 26, 3}, {20, 72, 4}, {80, 78, 5}, {50, 12, 6}, {50, 90, 7}};
        for (const auto& s : sat) {
            float age = k - s[2];
            if (age < 0 || f >= 11) continue;
            float size = 7 * std::sin(std::min(age / 4, 1.f) * 3.14159f);
            DrawSparkle(*c, at, s[0], s[1], std::max(size, 2.f), k * 0.3f);
        }
    }
    c->ClearClip();
    return c;
}

// ---- 115 CursorFigure ----
std::unique_ptr<Canvas> CursorFigure() {
    auto c = std::make_unique<Canvas>(100, 100);
    DrawCursorFigure(*c, Place{0, 0, 1});
    return c;
}

// ---- 121 status bar, 130 the word ROUND, 131 digits ----
TextStyle BarText() {
    TextStyle s;
    s.fill = [](float, float y) { return Mix(Hex(0xFFFFFF), Hex(0xFFD040), Clamp01((y - 6) / 20)); };
    s.outline = Hex(0x5A1E10);
    s.outlineWidth = 2.2f;
    return s;
}

std::unique_ptr<Canvas> StatusBar() {
    auto c = std::make_unique<Canvas>(800, 35);
    struct Caption {
        const char* text;
        int right;
    };
    for (const Caption& cap : {Caption{"ROUND", 148}, Caption{"SCORE", 382}, Caption{"DRINKS", 717}}) {
        TextMask m = RenderText(Font::SansBold, 24, cap.text, 1.0f);
        DrawText(*c, m, cap.right - m.width, 28 - m.baseline, BarText());
    }
    return c;
}

std::unique_ptr<Canvas> RoundWord() {
    auto c = std::make_unique<Canvas>(150, 35);
    TextMask m = RenderText(Font::SansBold, 31, "ROUND", 0.5f);
    DrawText(*c, m, (150 - m.width) / 2, 31 - m.baseline, GoldSized(2.2f, 34));
    return c;
}

// The digits fill their 30 x 35 boxes, less the outline and a pixel of ground
// on each side, so that the places of a number read as one number.
std::unique_ptr<Canvas> DigitFont() {
    auto c = std::make_unique<Canvas>(330, 35);
    const float outline = 2.0f;
    for (int d = 0; d < 10; ++d) {
        c->SetClip(d * 30, 0, d * 30 + 30, 35);
        TextMask m = RenderFittedGlyph(Font::SansBold, kDigitSize, static_cast<char>('0' + d), 30 - 2 * outline - 3, 1.2f, 1.6f);
        DrawText(*c, m, d * 30 + (30 - m.width + 1) / 2, 32 - m.baseline, GoldSized(outline, 34));
    }
    c->ClearClip();
    return c;
}

// ---- 133 Box ----
std::unique_ptr<Canvas> BoxPicture() {
    auto c = std::make_unique<Canvas>(80, 92);
    DrawBox(*c, Place{0, 0, 1});
    return c;
}

// ---- 134 letter font ----
const int kEdges[28] = {0, 35, 62, 94, 134, 165, 198, 230, 265, 14, 37, 68, 87, 142, 177, 211, 243, 44, 79, 105, 133, 167, 202, 257, 296, 35, 70, 100};

// The face's dot of an i or j, once made bolder, runs into the stem and reads
// as an l; the dotless letter gets a dot of its own instead, as wide as the
// stem's top and far enough above it that their outlines keep ground between.
void AddDot(TextMask& m, float gap) {
    int top = 0;
    auto solid = [&](int x, int y) { return m.At(x, y) > 0.5f; };
    auto rowSolid = [&](int y) {
        for (int x = 0; x < m.width; ++x)
            if (solid(x, y)) return true;
        return false;
    };
    while (top < m.height && !rowSolid(top)) ++top;
    // The stem is the rightmost run of solid pixels of that row (the j's hook lies left).
    int right = m.width - 1;
    while (right > 0 && !solid(right, top)) --right;
    int left = right;
    while (left > 0 && solid(left - 1, top)) --left;
    float cx = static_cast<float>(left + right + 1) / 2, hw = static_cast<float>(right + 1 - left) / 2;
    float bottom = static_cast<float>(top) - gap, hh = 3.5f;
    Shape dot = Box(cx, bottom - hh, hw, hh, 2.5f);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float cover = Clamp01(0.5f - dot(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
            float& c = m.coverage[static_cast<std::size_t>(y * m.width + x)];
            c = std::max(c, cover);
        }
}

// Every letter fills its box but for its outline and a pixel of ground on each
// side, stretched sideways where the box is wider than the face's letter, so
// that a name reads as one word.
std::unique_ptr<Canvas> LetterFont(std::vector<std::array<int, 4>>& boxes) {
    auto c = std::make_unique<Canvas>(310, 220);
    const float outline = 2.0f;
    for (int g = 0; g < 27; ++g) {
        int left = kEdges[g], right = kEdges[g + 1];
        if (right - left < 0) left = 0;
        int top = (g / 8) * 55;
        boxes.push_back({left, top, right, top + 55});
        if (g == 26) continue;  // the blank glyph stays ground
        char letter = static_cast<char>('a' + g);
        bool dotted = letter == 'i' || letter == 'j';
        // U+0131 and U+0237 are the dotless i and j.
        unsigned codepoint = letter == 'i' ? 0x131u : (letter == 'j' ? 0x237u : static_cast<unsigned>(letter));
        float ink = static_cast<float>(right - left) - 2 * outline - 2;
        TextMask m = RenderFittedGlyph(Font::SansBold, kLetterSize, codepoint, ink, 1.5f, 1.7f);
        if (dotted) AddDot(m, 2 * outline + 2);
        c->SetClip(left, top, right, top + 55);
        DrawText(*c, m, left + (right - left - m.width + 1) / 2, top + 42 - m.baseline, GoldSized(outline, 46));
    }
    c->ClearClip();
    return c;
}

// ---- 125 title ----
void Keycap(Canvas& c, const char* key, float x, float baseline, float width) {
    Place one{0, 0, 1};
    c.Draw(one, Box(x + width / 2, baseline - 9, width / 2, 15, 6), VerticalGradient(baseline - 24, Hex(0xFFF6DC), baseline + 6, Hex(0xD8C49A)),
           Hex(0x8A5A2A), 2.5f);
    DrawTextCentred(c, Font::SansBold, 18, key, x + width / 2, static_cast<int>(baseline - 2), Plain(Hex(0x4A2A3A), {}, 0));
}

void Frame(Canvas& c, float l, float t, float r, float b, float thickness) {
    Place one{0, 0, 1};
    Shape outer = Box((l + r) / 2, (t + b) / 2, (r - l) / 2, (b - t) / 2, 10);
    Shape inner = Box((l + r) / 2, (t + b) / 2, (r - l) / 2 - thickness, (b - t) / 2 - thickness, 5);
    c.Draw(one, Subtract(outer, inner), VerticalGradient(t, Hex(0xFFE08A), b, Hex(0xB86A1E)), Hex(0x6A2E14), 2);
    c.Draw(one, Subtract(Grow(inner, 1.2f), inner), Hex(0x7A3A1A));
}

std::unique_ptr<Canvas> Title() {
    auto c = std::make_unique<Canvas>(800, 600);
    Place one{0, 0, 1};
    // Title lettering with a deep shadow.
    TextStyle title = GoldSized(5, 110);
    title.shadow = Hex(0x6A2A7A);
    title.shadowX = 5;
    title.shadowY = 6;
    TextMask word = RenderText(Font::SerifBold, 118, "Zarnok", 2);
    DrawText(*c, word, 400 - word.width / 2, 150 - word.baseline, title);
    // The two figures beside it.
    DrawWanderer(*c, Place{18, 42, 1.25f}, 1, false);
    DrawBox(*c, Place{680, 58, 1.15f});
    DrawTextCentred(*c, Font::Sans, 21, "get the old grump to bed before he blows his top", 400, 198,
                    Plain(Hex(0xBFE0FF), Hex(0x203468), 1.5f));
    // Key legend.
    struct Key {
        const char* cap;
        float width;
        const char* text;
    };
    const Key keys[] = {{"Space", 84, "start a game"}, {"I", 40, "how to play"}, {"Esc", 60, "quit"}};
    float baseline = 250;
    for (const Key& k : keys) {
        Keycap(*c, k.cap, 300 - k.width, baseline, k.width);
        DrawTextAt(*c, Font::SansBold, 24, k.text, 318, static_cast<int>(baseline), Plain(Hex(0xFFF0D0), Hex(0x5A2A5A), 1.8f));
        baseline += 42;
    }
    // The hiscore box: its inside stays black so the starfield shows behind the rows.
    DrawTextCentred(*c, Font::SansBold, 20, "best scores", 400, 378, GoldSized(1.6f, 24));
    Frame(*c, 34, 386, 766, 514, 9);
    // Credits and version.
    TextStyle credit = Plain(Hex(0xC8C0E8), Hex(0x2A2050), 1.2f);
    DrawTextCentred(*c, Font::Sans, 16, "pictures drawn and sounds synthesised by the Zarnok team's own generator", 400, 546, credit);
    DrawTextCentred(*c, Font::Sans, 16, "lettering in DejaVu  -  thanks for playing!", 400, 568, credit);
    DrawTextAt(*c, Font::SansBold, 14, "version 1.0", 690, 592, Plain(Hex(0xFFD890), Hex(0x4A2414), 1.2f));
    (void)one;
    return c;
}

// ---- 135 game-over panel ----
std::unique_ptr<Canvas> GameOverPanel(std::vector<std::array<int, 4>>& guides) {
    auto c = std::make_unique<Canvas>(597, 243);
    Place one{0, 0, 1};
    Shape panel = Box(298.5f, 121.5f, 295, 119.5f, 18);
    c->Draw(one, panel, VerticalGradient(0, Hex(0x3C2868), 243, Hex(0x1C1438)), Hex(0xE8A838), 3.5f);
    c->Draw(one, Subtract(Grow(panel, -3), Grow(panel, -5)), Hex(0x7A4A9A));
    TextStyle big = GoldSized(3, 50);
    big.fill = [](float, float y) { return Mix(Hex(0xFFE070), Hex(0xF04A20), Clamp01((y - 6) / 40)); };
    big.shadow = Hex(0x12081E);
    big.shadowX = 3;
    big.shadowY = 3;
    DrawTextCentred(*c, Font::SerifBold, 46, "Game Over", 298.5f, 54, big);
    DrawTextCentred(*c, Font::SansBold, 20, "You have made it into the best scores!", 298.5f, 88,
                    Plain(Hex(0xBFF0C8), Hex(0x14301C), 1.4f));
    // (The final score is drawn between these lines, at y 100 to 135.)
    DrawTextCentred(*c, Font::Sans, 18, "Type your name and press Enter", 298.5f, 163, Plain(Hex(0xFFF0D0), Hex(0x2A1A40), 1.2f));
    // Input frame around the name line (32, 181)-(562, 236): the letters' ink
    // lies in rows 1 to 51 of the line, so the frame hugs those rows and keeps
    // clear of the panel's border below it.
    Shape outer = Box(297, 206.5f, 269, 27, 6);
    Shape inner = Box(297, 206.5f, 267, 25.5f, 5);
    c->Draw(one, outer, Hex(0xE8C878));
    c->Draw(one, inner, VerticalGradient(181, Hex(0x0E0A22), 232, Hex(0x1E1640)));
    guides.push_back({32, 181, 562, 236});
    guides.push_back({200, 100, 397, 135});
    return c;
}

// ---- 151 instructions ----
std::unique_ptr<Canvas> Instructions() {
    auto c = std::make_unique<Canvas>(800, 600);
    PaintSky(*c, 31, 0.18f, 500);
    Place one{0, 0, 1};
    Shape panel = Box(400, 300, 370, 282, 20);
    c->Draw(one, panel, VerticalGradient(18, Hex(0x2A2050), 582, Hex(0x18122E)), Hex(0xE8A838), 3.5f);
    TextStyle head = GoldSized(3, 48);
    head.shadow = Hex(0x0A0614);
    head.shadowX = 3;
    head.shadowY = 3;
    DrawTextCentred(*c, Font::SerifBold, 44, "How to play", 400, 76, head);

    TextStyle text = Plain(Hex(0xF4ECFF), Hex(0x140E28), 1.2f);
    TextStyle strong = Plain(Hex(0xFFD66A), Hex(0x2A140A), 1.2f);
    struct Row {
        float y;
        const char* lead;
        const char* line1;
        const char* line2;
    };
    const Row rows[] = {
        {122, "Mouse:", "steer your figure about the screen.", ""},
        {188, "Left button:", "drop a drink. The nearest drink draws", "the old grump towards it."},
        {254, "The box:", "lead him into it to calm him down. Calm", "enough, he falls asleep and the round is won."},
        {320, "Spectres:", "keep them away from him, they make him", "angrier. If his temper boils over, it's over."},
        {386, "Right button:", "make him swear, for a point each time.", ""},
    };
    // The descriptions start a clear gap after the widest label.
    int leadWidth = 0;
    for (const Row& r : rows) leadWidth = std::max(leadWidth, RenderText(Font::SansBold, 20, r.lead).width);
    const int leadX = 132, textX = leadX + leadWidth + 16;
    for (const Row& r : rows) {
        DrawTextAt(*c, Font::SansBold, 20, r.lead, leadX, static_cast<int>(r.y), strong);
        DrawTextAt(*c, Font::Sans, 20, r.line1, textX, static_cast<int>(r.y), text);
        if (r.line2[0]) DrawTextAt(*c, Font::Sans, 20, r.line2, textX, static_cast<int>(r.y + 26), text);
    }
    // Little pictures beside the rows, centred on x 95 and on each row's text.
    auto at = [](float s, float lx, float ly, float cx, float cy) { return Place{cx - lx * s, cy - ly * s, s}; };
    DrawCursorFigure(*c, at(0.62f, 50, 55, 95, 114));
    DrawBottle(*c, at(0.58f, 25, 55, 80, 192));
    DrawPint(*c, at(0.72f, 70, 78, 110, 196));
    DrawBox(*c, at(0.6f, 40, 48, 95, 258));
    DrawSpectre(*c, at(0.6f, 50, 52, 95, 324));
    DrawWanderer(*c, at(0.6f, 47, 61, 95, 380), 3, true);

    // Keys.
    c->Draw(one, Capsule(80, 430, 720, 430, 1), Hex(0x7A4A9A));
    struct Key {
        const char* cap;
        float width;
        const char* text;
    };
    const Key keys[] = {{"P", 36, "pause"}, {"Q", 36, "end the game"}, {"Esc", 58, "quit"}};
    float x = 120;
    for (const Key& k : keys) {
        Keycap(*c, k.cap, x, 476, k.width);
        int w = DrawTextAt(*c, Font::SansBold, 21, k.text, static_cast<int>(x + k.width + 12), 476, text);
        x += k.width + 12 + static_cast<float>(w) + 48;
    }
    TextStyle prompt = GoldSized(2.5f, 34);
    DrawTextCentred(*c, Font::SansBold, 30, "Press Space to return to the title", 400, 548, prompt);
    return c;
}

// ---- icon ----
std::unique_ptr<Canvas> IconCanvas(int size) {
    // The smallest icon is drawn twice as large and averaged down, so its
    // features do not drown in outlines.
    return WandererFace(size, size >= 32 ? 1 : 2, size <= 16 ? 3 : 2);
}

// ---- contact sheet ----
void Blit(std::vector<std::uint32_t>& sheet, int sheetW, const IndexedImage& img, int ox, int oy, bool keyed) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            std::uint8_t index = img.pixels[static_cast<std::size_t>(y * img.width + x)];
            Rgb8 c = img.palette[index];
            std::uint32_t argb;
            if (keyed && To565(c) == To565(img.palette[img.pixels[0]])) {
                bool dark = ((x / 8) + (y / 8)) % 2;
                argb = dark ? 0xFF2A2A33u : 0xFF3A3A45u;
            } else {
                argb = 0xFF000000u | (static_cast<std::uint32_t>(c.r) << 16) | (c.g << 8) | c.b;
            }
            sheet[static_cast<std::size_t>((oy + y) * sheetW + ox + x)] = argb;
        }
}

void Outline(std::vector<std::uint32_t>& sheet, int sheetW, int l, int t, int r, int b, std::uint32_t colour) {
    for (int x = l; x < r; ++x) {
        sheet[static_cast<std::size_t>(t * sheetW + x)] = colour;
        sheet[static_cast<std::size_t>((b - 1) * sheetW + x)] = colour;
    }
    for (int y = t; y < b; ++y) {
        sheet[static_cast<std::size_t>(y * sheetW + l)] = colour;
        sheet[static_cast<std::size_t>(y * sheetW + r - 1)] = colour;
    }
}

}  // namespace

bool MakePictures(const std::string& resDir, const std::string& docsDir) {
    std::vector<Picture> pictures;
    auto add = [&](int id, const char* file, std::unique_ptr<Canvas> canvas, Rgb8 ground, bool keyed,
                   std::vector<std::array<int, 4>> guides = {}) {
        std::fprintf(stderr, "  picture %d %s\n", id, file);
        pictures.push_back({id, file, std::move(canvas), ground, keyed, {}, std::move(guides)});
    };
    auto grid = [](int w, int h, int cols, int rows) {
        std::vector<std::array<int, 4>> g;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) g.push_back({c * w, r * h, c * w + w, r * h + h});
        return g;
    };
    add(109, "starfield.bmp", Starfield(), kBlack, false);
    add(110, "wanderer.bmp", WandererSheet(), kMagenta, true, grid(100, 100, 5, 4));
    add(111, "drinks.bmp", Drinks(), kMagenta, true, {{0, 0, 50, 100}, {50, 0, 90, 50}, {50, 50, 90, 100}});
    add(113, "spectre.bmp", SpectreSheet(), kMagenta, true, grid(100, 100, 6, 2));
    add(115, "cursor_figure.bmp", CursorFigure(), kMagenta, true);
    add(121, "status_bar.bmp", StatusBar(), kGreen, true, {{155, 0, 215, 35}, {390, 0, 540, 35}, {725, 0, 785, 35}});
    add(125, "title.bmp", Title(), kBlack, true, {{50, 400, 750, 500}});
    add(130, "round.bmp", RoundWord(), kMagenta, true);
    add(131, "digits.bmp", DigitFont(), kGreen, true, grid(30, 35, 11, 1));
    add(133, "box.bmp", BoxPicture(), kMagenta, true);
    std::vector<std::array<int, 4>> letterBoxes;
    auto letters = LetterFont(letterBoxes);
    add(134, "letters.bmp", std::move(letters), kBlack, true, letterBoxes);
    std::vector<std::array<int, 4>> panelGuides;
    auto panel = GameOverPanel(panelGuides);
    add(135, "game_over.bmp", std::move(panel), kMagenta, true, panelGuides);
    add(151, "instructions.bmp", Instructions(), kBlack, false);

    bool ok = true;
    for (Picture& p : pictures) {
        p.image = Flatten(*p.canvas, p.ground, p.keyed);
        ok = WriteBmp8(resDir + "/" + p.file, p.image) && ok;
    }

    // Icon: 32 and 16 pixels in 16 colours, and a large PNG of the same face.
    auto icon32 = IconCanvas(32), icon16 = IconCanvas(16), icon128 = IconCanvas(128);
    ok = WriteIco(resDir + "/zarnok.ico", {icon32.get(), icon16.get()}) && ok;
    std::vector<std::uint32_t> big(128 * 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const Pixel& p = icon128->At(x, y);
            auto b = [](float v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
            big[static_cast<std::size_t>(y * 128 + x)] = (b(p.a * 255) << 24) | (b(p.r) << 16) | (b(p.g) << 8) | b(p.b);
        }
    ok = WritePngRgba(resDir + "/zarnok.png", 128, 128, big) && ok;

    // Contact sheet: every picture at its own size, keyed ground as a checker,
    // frame grids and fields outlined.
    struct Spot {
        int id, x, y;
    };
    const Spot spots[] = {{109, 10, 30},   {125, 830, 30},   {151, 10, 660},   {110, 830, 660},  {113, 830, 1090},
                          {121, 10, 1330}, {131, 830, 1330}, {130, 1180, 1330}, {134, 10, 1400}, {135, 340, 1400},
                          {111, 960, 1400}, {115, 1110, 1400}, {133, 1260, 1400}};
    const int sheetW = 1640, sheetH = 1670;
    std::vector<std::uint32_t> sheet(static_cast<std::size_t>(sheetW * sheetH), 0xFF14141Au);
    Canvas labels(sheetW, sheetH);
    for (const Spot& s : spots) {
        for (Picture& p : pictures) {
            if (p.id != s.id) continue;
            Blit(sheet, sheetW, p.image, s.x, s.y, p.keyed);
            for (const auto& g : p.guides) Outline(sheet, sheetW, s.x + g[0], s.y + g[1], s.x + g[2], s.y + g[3], 0xFF30E0F0u);
            char text[64];
            if (p.image.width >= 300)
                std::snprintf(text, sizeof text, "%d  %s  %dx%d", p.id, p.file.c_str(), p.image.width, p.image.height);
            else
                std::snprintf(text, sizeof text, "%d %s", p.id, p.file.c_str());
            DrawTextAt(labels, Font::Sans, 13, text, s.x, s.y - 6, Plain(Hex(0xE0E0E0), {}, 0));
        }
    }
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            std::uint32_t p = big[static_cast<std::size_t>(y * 128 + x)];
            if ((p >> 24) >= 128) sheet[static_cast<std::size_t>((1400 + y) * sheetW + 1400 + x)] = p | 0xFF000000u;
        }
    DrawTextAt(labels, Font::Sans, 13, "101 zarnok.png", 1400, 1394, Plain(Hex(0xE0E0E0), {}, 0));
    for (int y = 0; y < sheetH; ++y)
        for (int x = 0; x < sheetW; ++x) {
            const Pixel& l = labels.At(x, y);
            if (l.a <= 0) continue;
            std::uint32_t& d = sheet[static_cast<std::size_t>(y * sheetW + x)];
            auto ch = [&](int shift, float v) {
                float base = static_cast<float>((d >> shift) & 0xFF);
                return static_cast<std::uint32_t>(std::lround(base + (v - base) * l.a)) << shift;
            };
            d = 0xFF000000u | ch(16, l.r) | ch(8, l.g) | ch(0, l.b);
        }
    ok = WritePngRgba(docsDir + "/contact-sheet.png", sheetW, sheetH, sheet) && ok;
    return ok;
}

}  // namespace art

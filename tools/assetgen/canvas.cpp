#include "canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace art {

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Scale(Rgb a, float k) {
    return {std::min(255.f, a.r * k), std::min(255.f, a.g * k), std::min(255.f, a.b * k)};
}

Canvas::Canvas(int width, int height) : w_(width), h_(height), px_(static_cast<std::size_t>(width * height)) {
    ClearClip();
}

void Canvas::SetClip(int left, int top, int right, int bottom) {
    cl_ = std::max(0, left);
    ct_ = std::max(0, top);
    cr_ = std::min(w_, right);
    cb_ = std::min(h_, bottom);
}

void Canvas::SetBounds(float left, float top, float right, float bottom) {
    boundsSet_ = true;
    bl_ = left;
    bt_ = top;
    br_ = right;
    bb_ = bottom;
}

void Canvas::Blend(int x, int y, Rgb c, float alpha) {
    if (x < cl_ || y < ct_ || x >= cr_ || y >= cb_ || alpha <= 0) return;
    alpha = std::min(alpha, 1.0f);
    Pixel& p = At(x, y);
    float outA = alpha + p.a * (1 - alpha);
    if (outA <= 0) return;
    float keep = p.a * (1 - alpha);
    p.r = (c.r * alpha + p.r * keep) / outA;
    p.g = (c.g * alpha + p.g * keep) / outA;
    p.b = (c.b * alpha + p.b * keep) / outA;
    p.a = outA;
}

void Canvas::Fill(const Paint& paint) {
    for (int y = ct_; y < cb_; ++y)
        for (int x = cl_; x < cr_; ++x) {
            Rgb c = paint(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            At(x, y) = {c.r, c.g, c.b, 1};
        }
}

void Canvas::Draw(const Place& at, const Shape& shape, const Paint& paint, Rgb outline, float width) {
    int x0 = cl_, y0 = ct_, x1 = cr_, y1 = cb_;
    if (boundsSet_) {
        x0 = std::max(x0, static_cast<int>(std::floor(bl_)));
        y0 = std::max(y0, static_cast<int>(std::floor(bt_)));
        x1 = std::min(x1, static_cast<int>(std::ceil(br_)));
        y1 = std::min(y1, static_cast<int>(std::ceil(bb_)));
    }
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            float lx = (static_cast<float>(x) + 0.5f - at.ox) / at.scale;
            float ly = (static_cast<float>(y) + 0.5f - at.oy) / at.scale;
            float d = shape(lx, ly) * at.scale;
            if (d > width + 1) continue;
            if (width > 0) Blend(x, y, outline, Clamp01(0.5f - (d - width)));
            float a = Clamp01(0.5f - d);
            if (a > 0) Blend(x, y, paint(lx, ly), a);
        }
    }
}

void Canvas::Draw(const Place& at, const Shape& shape, Rgb fill, Rgb outline, float width) {
    Draw(at, shape, Flat(fill), outline, width);
}

namespace {
float Length(float x, float y) { return std::sqrt(x * x + y * y); }
}  // namespace

Shape Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return Length(x - cx, y - cy) - r; };
}

Shape Ellipse(float cx, float cy, float rx, float ry) {
    return [=](float x, float y) {
        float px = (x - cx), py = (y - cy);
        float k0 = Length(px / rx, py / ry);
        float k1 = Length(px / (rx * rx), py / (ry * ry));
        if (k1 < 1e-6f) return -std::min(rx, ry);
        return k0 * (k0 - 1.0f) / k1;
    };
}

Shape Box(float cx, float cy, float hw, float hh, float radius) {
    return [=](float x, float y) {
        float qx = std::fabs(x - cx) - hw + radius, qy = std::fabs(y - cy) - hh + radius;
        return Length(std::max(qx, 0.f), std::max(qy, 0.f)) + std::min(std::max(qx, qy), 0.f) - radius;
    };
}

Shape Capsule(float ax, float ay, float bx, float by, float r) {
    return [=](float x, float y) {
        float pax = x - ax, pay = y - ay, bax = bx - ax, bay = by - ay;
        float len2 = bax * bax + bay * bay;
        float h = len2 > 0 ? std::clamp((pax * bax + pay * bay) / len2, 0.f, 1.f) : 0.f;
        return Length(pax - bax * h, pay - bay * h) - r;
    };
}

Shape Polygon(std::vector<Vec> v) {
    return [v](float x, float y) {
        float d = (x - v[0].x) * (x - v[0].x) + (y - v[0].y) * (y - v[0].y);
        float s = 1;
        for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
            float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
            float wx = x - v[i].x, wy = y - v[i].y;
            float h = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.f, 1.f);
            float bx = wx - ex * h, by = wy - ey * h;
            d = std::min(d, bx * bx + by * by);
            bool c1 = y >= v[i].y, c2 = y < v[j].y, c3 = ex * wy > ey * wx;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) s = -s;
        }
        return s * std::sqrt(d);
    };
}

Shape Curve(Vec a, Vec c, Vec b, float r) {
    std::vector<Vec> pts;
    constexpr int kSteps = 16;
    for (int i = 0; i <= kSteps; ++i) {
        float t = static_cast<float>(i) / kSteps, u = 1 - t;
        pts.push_back({u * u * a.x + 2 * u * t * c.x + t * t * b.x, u * u * a.y + 2 * u * t * c.y + t * t * b.y});
    }
    return [pts, r](float x, float y) {
        float best = 1e9f;
        for (std::size_t i = 1; i < pts.size(); ++i) {
            float pax = x - pts[i - 1].x, pay = y - pts[i - 1].y;
            float bax = pts[i].x - pts[i - 1].x, bay = pts[i].y - pts[i - 1].y;
            float len2 = bax * bax + bay * bay;
            float h = len2 > 0 ? std::clamp((pax * bax + pay * bay) / len2, 0.f, 1.f) : 0.f;
            best = std::min(best, Length(pax - bax * h, pay - bay * h));
        }
        return best - r;
    };
}

Shape Union(Shape a, Shape b) {
    return [a, b](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
Shape Intersect(Shape a, Shape b) {
    return [a, b](float x, float y) { return std::max(a(x, y), b(x, y)); };
}
Shape Subtract(Shape a, Shape b) {
    return [a, b](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
Shape Grow(Shape a, float by) {
    return [a, by](float x, float y) { return a(x, y) - by; };
}
Shape Rotate(Shape a, float cx, float cy, float radians) {
    float c = std::cos(-radians), s = std::sin(-radians);
    return [=](float x, float y) {
        float dx = x - cx, dy = y - cy;
        return a(cx + dx * c - dy * s, cy + dx * s + dy * c);
    };
}
Shape Star(float cx, float cy, float outer, float inner, int points, float rotation) {
    std::vector<Vec> v;
    for (int i = 0; i < points * 2; ++i) {
        float ang = rotation - 3.14159265f / 2 + 3.14159265f * static_cast<float>(i) / static_cast<float>(points);
        float r = (i % 2 == 0) ? outer : inner;
        v.push_back({cx + r * std::cos(ang), cy + r * std::sin(ang)});
    }
    return Polygon(v);
}

Paint Flat(Rgb c) {
    return [c](float, float) { return c; };
}
Paint VerticalGradient(float y0, Rgb c0, float y1, Rgb c1) {
    return [=](float, float y) { return Mix(c0, c1, Clamp01((y - y0) / (y1 - y0))); };
}
Paint RadialGradient(float cx, float cy, float r, Rgb inner, Rgb outer) {
    return [=](float x, float y) { return Mix(inner, outer, Clamp01(Length(x - cx, y - cy) / r)); };
}

// ---- text ----

namespace {
FT_Library gLibrary = nullptr;
std::map<Font, FT_Face> gFaces;
}  // namespace

bool InitFonts(const std::string& dir) {
    if (FT_Init_FreeType(&gLibrary) != 0) return false;
    const std::pair<Font, const char*> files[] = {{Font::Sans, "DejaVuSans.ttf"},
                                                  {Font::SansBold, "DejaVuSans-Bold.ttf"},
                                                  {Font::SerifBold, "DejaVuSerif-Bold.ttf"},
                                                  {Font::SansCondensedBold, "DejaVuSansCondensed-Bold.ttf"}};
    for (const auto& [font, file] : files) {
        FT_Face face = nullptr;
        std::string path = dir + "/" + file;
        if (FT_New_Face(gLibrary, path.c_str(), 0, &face) != 0) {
            std::fprintf(stderr, "assetgen: cannot load font %s\n", path.c_str());
            return false;
        }
        gFaces[font] = face;
    }
    return true;
}

TextMask RenderText(Font font, float pixelSize, const std::string& text, float tracking) {
    FT_Face face = gFaces.at(font);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixelSize * 64), 72, 72);
    int ascent = static_cast<int>(std::ceil(static_cast<float>(face->size->metrics.ascender) / 64.f));
    int descent = static_cast<int>(std::ceil(static_cast<float>(-face->size->metrics.descender) / 64.f));
    // First pass: width.
    float penX = 0;
    int minX = 0, maxX = 0;
    FT_UInt previous = 0;
    struct Placed {
        float x;
        FT_UInt index;
    };
    std::vector<Placed> placed;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(face, ch);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k);
            penX += static_cast<float>(k.x) / 64.f;
        }
        FT_Load_Glyph(face, index, FT_LOAD_DEFAULT);
        placed.push_back({penX, index});
        int left = static_cast<int>(std::floor(penX)) + face->glyph->metrics.horiBearingX / 64;
        int right = left + static_cast<int>(std::ceil(static_cast<float>(face->glyph->metrics.width) / 64.f)) + 1;
        minX = std::min(minX, left);
        maxX = std::max(maxX, right);
        penX += static_cast<float>(face->glyph->advance.x) / 64.f + tracking;
        previous = index;
    }
    maxX = std::max(maxX, static_cast<int>(std::ceil(penX - tracking)));
    TextMask mask;
    mask.width = maxX - minX + 2;
    mask.height = ascent + descent + 2;
    mask.baseline = ascent + 1;
    mask.coverage.assign(static_cast<std::size_t>(mask.width * mask.height), 0.f);
    for (const Placed& p : placed) {
        FT_Load_Glyph(face, p.index, FT_LOAD_DEFAULT);
        // Sub-pixel placement: shift the outline by the fractional pen position.
        FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>((p.x - std::floor(p.x)) * 64), 0);
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
        FT_Bitmap& bm = face->glyph->bitmap;
        int ox = static_cast<int>(std::floor(p.x)) + face->glyph->bitmap_left - minX + 1;
        int oy = mask.baseline - face->glyph->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row)
            for (unsigned col = 0; col < bm.width; ++col) {
                int x = ox + static_cast<int>(col), y = oy + static_cast<int>(row);
                if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
                float v = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col] / 255.f;
                float& c = mask.coverage[static_cast<std::size_t>(y * mask.width + x)];
                c = std::max(c, v);
            }
    }
    return mask;
}

TextMask RenderFittedGlyph(Font font, float pixelSize, unsigned codepoint, float inkWidth, float embolden, float maxStretch) {
    FT_Face face = gFaces.at(font);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixelSize * 64), 72, 72);
    int ascent = static_cast<int>(std::ceil(static_cast<float>(face->size->metrics.ascender) / 64.f));
    int descent = static_cast<int>(std::ceil(static_cast<float>(-face->size->metrics.descender) / 64.f));
    // Unhinted, so that the stretch works on the true outline.
    FT_Load_Glyph(face, FT_Get_Char_Index(face, codepoint), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    FT_Outline& outline = face->glyph->outline;
    FT_Outline_Embolden(&outline, static_cast<FT_Pos>(embolden * 64));
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    float natural = static_cast<float>(box.xMax - box.xMin) / 64.f;
    float stretch = std::clamp(inkWidth / natural, 1.f, maxStretch);
    FT_Matrix m{static_cast<FT_Fixed>(stretch * 65536), 0, 0, 0x10000};
    FT_Outline_Transform(&outline, &m);
    FT_Outline_Get_CBox(&outline, &box);
    // Ink from x = 1 and the baseline at ascent + 1 of the mask.
    FT_Outline_Translate(&outline, 64 - box.xMin, static_cast<FT_Pos>(embolden * 32));
    TextMask mask;
    mask.width = static_cast<int>(std::ceil(static_cast<float>(box.xMax - box.xMin) / 64.f)) + 2;
    mask.height = ascent + descent + 2;
    mask.baseline = ascent + 1;
    mask.coverage.assign(static_cast<std::size_t>(mask.width * mask.height), 0.f);
    FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
    FT_Bitmap& bm = face->glyph->bitmap;
    int ox = face->glyph->bitmap_left, oy = mask.baseline - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
        for (unsigned col = 0; col < bm.width; ++col) {
            int x = ox + static_cast<int>(col), y = oy + static_cast<int>(row);
            if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
            mask.coverage[static_cast<std::size_t>(y * mask.width + x)] = bm.buffer[row * static_cast<unsigned>(bm.pitch) + col] / 255.f;
        }
    return mask;
}

void DrawText(Canvas& canvas, const TextMask& mask, int x, int y, const TextStyle& style) {
    int pad = static_cast<int>(std::ceil(style.outlineWidth)) + 1;
    auto outlineAt = [&](int mx, int my) {
        if (style.outlineWidth <= 0) return 0.f;
        float best = 0;
        for (int dy = -pad; dy <= pad; ++dy)
            for (int dx = -pad; dx <= pad; ++dx) {
                float c = mask.At(mx + dx, my + dy);
                if (c <= 0) continue;
                float fall = Clamp01(style.outlineWidth + 0.5f - std::sqrt(static_cast<float>(dx * dx + dy * dy)));
                best = std::max(best, c * fall);
            }
        return best;
    };
    bool shadow = style.shadowX != 0 || style.shadowY != 0;
    if (shadow) {
        for (int my = -pad; my < mask.height + pad; ++my)
            for (int mx = -pad; mx < mask.width + pad; ++mx) {
                float a = std::max(outlineAt(mx, my), mask.At(mx, my));
                canvas.Blend(x + mx + style.shadowX, y + my + style.shadowY, style.shadow, a);
            }
    }
    for (int my = -pad; my < mask.height + pad; ++my)
        for (int mx = -pad; mx < mask.width + pad; ++mx) {
            float o = outlineAt(mx, my);
            if (o > 0) canvas.Blend(x + mx, y + my, style.outline, o);
            float c = mask.At(mx, my);
            if (c > 0) canvas.Blend(x + mx, y + my, style.fill(static_cast<float>(mx), static_cast<float>(my)), c);
        }
}

int DrawTextCentred(Canvas& canvas, Font font, float size, const std::string& text, float cx, int baseline,
                    const TextStyle& style) {
    TextMask mask = RenderText(font, size, text);
    DrawText(canvas, mask, static_cast<int>(std::lround(cx - static_cast<float>(mask.width) / 2)), baseline - mask.baseline, style);
    return mask.width;
}

int DrawTextAt(Canvas& canvas, Font font, float size, const std::string& text, int x, int baseline, const TextStyle& style) {
    TextMask mask = RenderText(font, size, text);
    DrawText(canvas, mask, x, baseline - mask.baseline, style);
    return mask.width;
}

// ---- noise ----

namespace {
float Hash(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777215.f;
}
}  // namespace

float SmoothNoise(float x, float y, std::uint32_t seed) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed), c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float Fractal(float x, float y, std::uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += SmoothNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101u) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

}  // namespace art

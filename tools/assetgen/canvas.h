// A small rasteriser for the game's pictures: shapes are signed distance
// functions (negative inside), so every edge is anti-aliased and every shape
// can be outlined by a width; text comes from FreeType masks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace art {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
constexpr Rgb Hex(std::uint32_t v) {
    return {static_cast<float>((v >> 16) & 0xFF), static_cast<float>((v >> 8) & 0xFF), static_cast<float>(v & 0xFF)};
}
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Scale(Rgb a, float k);

struct Pixel {
    float r = 0, g = 0, b = 0, a = 0;
};

struct Vec {
    float x = 0, y = 0;
};

// Signed distance in the shape's own units; negative inside.
using Shape = std::function<float(float x, float y)>;
// Colour at a point, in the shape's own units.
using Paint = std::function<Rgb(float x, float y)>;

// Where a shape's units land on the canvas: canvas = origin + scale * (rotate(local)).
struct Place {
    float ox = 0, oy = 0, scale = 1;
};

class Canvas {
public:
    Canvas(int width, int height);
    int Width() const { return w_; }
    int Height() const { return h_; }
    Pixel& At(int x, int y) { return px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x)]; }
    const Pixel& At(int x, int y) const { return px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x)]; }

    // Drawing is confined to the clip rectangle (left, top, right, bottom).
    void SetClip(int left, int top, int right, int bottom);
    void ClearClip() { SetClip(0, 0, w_, h_); }
    int ClipLeft() const { return cl_; }
    int ClipTop() const { return ct_; }
    int ClipRight() const { return cr_; }
    int ClipBottom() const { return cb_; }

    void Blend(int x, int y, Rgb c, float alpha);
    void Fill(const Paint& paint);  // opaque, whole clip

    // Fills `shape` with `paint`; with width > 0 first draws an outline of
    // `outline` that far (in canvas pixels) around it.
    void Draw(const Place& at, const Shape& shape, const Paint& paint, Rgb outline = {}, float width = 0);
    void Draw(const Place& at, const Shape& shape, Rgb fill, Rgb outline = {}, float width = 0);

    // The clipped pixel box in which a shape is evaluated; kept tight by callers
    // that know where a shape lies (all of the clip when unset).
    void SetBounds(float left, float top, float right, float bottom);
    void ClearBounds() { boundsSet_ = false; }

private:
    int w_, h_;
    std::vector<Pixel> px_;
    int cl_ = 0, ct_ = 0, cr_ = 0, cb_ = 0;
    bool boundsSet_ = false;
    float bl_ = 0, bt_ = 0, br_ = 0, bb_ = 0;
};

// Shapes (local units).
Shape Circle(float cx, float cy, float r);
Shape Ellipse(float cx, float cy, float rx, float ry);
Shape Box(float cx, float cy, float hw, float hh, float radius = 0);
Shape Capsule(float ax, float ay, float bx, float by, float r);
Shape Polygon(std::vector<Vec> points);
Shape Curve(Vec a, Vec control, Vec b, float r);  // quadratic Bezier stroke
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
Shape Grow(Shape a, float by);
Shape Rotate(Shape a, float cx, float cy, float radians);
Shape Star(float cx, float cy, float outer, float inner, int points, float rotation = 0);

Paint Flat(Rgb c);
Paint VerticalGradient(float y0, Rgb c0, float y1, Rgb c1);
Paint RadialGradient(float cx, float cy, float r, Rgb inner, Rgb outer);

// Text from a TrueType font: an anti-aliased coverage mask.
struct TextMask {
    int width = 0, height = 0;
    int baseline = 0;  // rows from the top of the mask to the baseline
    std::vector<float> coverage;
    float At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

bool InitFonts(const std::string& fontDir);
enum class Font { Sans, SansBold, SerifBold, SansCondensedBold };
TextMask RenderText(Font font, float pixelSize, const std::string& text, float tracking = 0);
// One glyph made bolder by `embolden` pixels of stroke and stretched sideways
// so that its ink is `inkWidth` pixels wide (no wider than `maxStretch` times
// its own width), for picture fonts whose boxes are wider than the face's
// letters. The mask is as tall as RenderText's at the same size, and its ink
// starts one pixel from its left edge.
TextMask RenderFittedGlyph(Font font, float pixelSize, unsigned codepoint, float inkWidth, float embolden, float maxStretch);

struct TextStyle {
    Paint fill = Flat({255, 255, 255});  // in canvas pixels relative to the text's top-left
    Rgb outline{};
    float outlineWidth = 0;
    Rgb shadow{};
    int shadowX = 0, shadowY = 0;  // no shadow when both are 0
};
// Draws `mask` with its top-left at (x, y).
void DrawText(Canvas& canvas, const TextMask& mask, int x, int y, const TextStyle& style);
// Draws text centred on cx with its baseline at `baseline`; returns its width.
int DrawTextCentred(Canvas& canvas, Font font, float size, const std::string& text, float cx, int baseline,
                    const TextStyle& style);
int DrawTextAt(Canvas& canvas, Font font, float size, const std::string& text, int x, int baseline, const TextStyle& style);

// A deterministic random source for the generator alone.
class Random {
public:
    explicit Random(std::uint32_t seed) : s_(seed * 2654435761u + 12345u) {}
    std::uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    float Range(float a, float b) { return a + (b - a) * Unit(); }

private:
    std::uint32_t s_;
};

float Clamp01(float v);
float SmoothNoise(float x, float y, std::uint32_t seed);  // value noise in 0..1
float Fractal(float x, float y, std::uint32_t seed, int octaves);

}  // namespace art

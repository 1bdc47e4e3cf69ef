#include "figures.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

constexpr float kPi = 3.14159265f;

float Line(const Place& at, float w = kLine) { return w * std::max(0.6f, std::min(at.scale, 3.0f)); }

Rgb Skin(int level) {
    const Rgb skins[5] = {Hex(0xF6CFA4), Hex(0xF4B08A), Hex(0xEE8E6C), Hex(0xE06450), Hex(0xC8403C)};
    return skins[std::clamp(level, 0, 4)];
}

}  // namespace

void DrawWanderer(Canvas& c, const Place& at, int level, bool talking) {
    const Rgb skin = Skin(level);
    const Rgb shade = Scale(skin, 0.78f);
    const Rgb hair = Hex(0xC9C6CF);
    const Rgb hairShade = Hex(0x8E8A99);
    const float lw = Line(at);
    const float a = static_cast<float>(level);

    // Steam when furious, drawn first so the head overlaps it.
    if (level >= 4) {
        for (int side = 0; side < 2; ++side) {
            float sx = side ? 80.f : 14.f, dir = side ? 1.f : -1.f;
            Shape puff = Union(Union(Circle(sx, 22, 6), Circle(sx + 5 * dir, 14, 5)), Circle(sx + 2 * dir, 7, 4));
            c.Draw(at, puff, Hex(0xF2F2F6), kInk, lw * 0.8f);
        }
    }
    // Ears.
    for (float ex : {14.f, 80.f}) {
        c.Draw(at, Ellipse(ex, 63, 7.5f, 10.5f), skin, kInk, lw);
        c.Draw(at, Ellipse(ex + (ex < 47 ? 1.5f : -1.5f), 64, 3.5f, 6), shade);
    }
    // Wild grey tufts over the ears.
    for (int side = 0; side < 2; ++side) {
        float m = side ? -1.f : 1.f, cx = side ? 94.f : 0.f;
        auto X = [&](float x) { return cx + m * x; };
        Shape tuft = Polygon({{X(14), 58}, {X(6), 50}, {X(10), 46}, {X(4), 38}, {X(12), 37}, {X(10), 28},
                              {X(19), 33}, {X(22), 26}, {X(27), 36}, {X(24), 52}});
        c.Draw(at, tuft, VerticalGradient(26, hair, 58, hairShade), kInk, lw);
    }
    // Head.
    Shape head = Ellipse(47, 61, 32, 34);
    c.Draw(at, head, RadialGradient(40, 48, 40, Mix(skin, Hex(0xFFFFFF), 0.22f), shade), kInk, lw);
    // Stubble shadow on the jaw.
    c.Draw(at, Intersect(head, Ellipse(47, 86, 24, 11)), Mix(skin, Hex(0x8A7A80), 0.28f));
    // Three hairs combed over the top.
    for (int i = 0; i < 3; ++i) {
        float x0 = 36.f + 9.f * static_cast<float>(i);
        c.Draw(at, Curve({x0, 30}, {x0 + 6, 16 - static_cast<float>(i)}, {x0 + 14, 24}, 0.9f), hairShade);
    }
    // Shine on the bald crown.
    c.Draw(at, Ellipse(36, 38, 7, 3.5f), Mix(skin, Hex(0xFFFFFF), 0.6f));
    // Cheeks.
    for (float cx : {29.f, 65.f}) c.Draw(at, Ellipse(cx, 70, 6, 4), Mix(skin, Hex(0xE0403A), 0.35f));

    // Eyes: whites, pupils, then lids closing down with anger.
    for (int side = 0; side < 2; ++side) {
        float ex = side ? 58.f : 36.f;
        float m = side ? -1.f : 1.f;  // inner corner is towards the nose
        Shape eye = Ellipse(ex, 55, 5.5f, 6.5f);
        c.Draw(at, eye, Hex(0xFFFDF5), kInk, lw * 0.8f);
        float px = ex + m * (level >= 3 ? 1.0f : 0.4f);
        c.Draw(at, Intersect(eye, Circle(px, 56.5f, 2.8f)), Hex(0x4A2E24));
        c.Draw(at, Intersect(eye, Circle(px + 0.8f, 55.5f, 0.9f)), Hex(0xFFFFFF));
        // Lid: a half-plane through the eye, tilting down to the nose as anger grows.
        float lidY = 50.5f + 1.1f * a;
        float tilt = (0.10f + 0.09f * a) * m;  // positive: lower at the inner corner
        Shape lid = [=](float x, float y) { return y - (lidY + (x - ex) * tilt) ; };
        c.Draw(at, Intersect(Grow(eye, 0.6f), lid), skin);
        c.Draw(at, Intersect(Grow(eye, 0.6f), [=](float x, float y) { return std::fabs(y - (lidY + (x - ex) * tilt)) - 0.7f; }),
               kInk);
    }
    // Brows: bushy, from droopy-grumpy to a hard V.
    for (int side = 0; side < 2; ++side) {
        float m = side ? -1.f : 1.f;
        float inner = 47.f - m * 4.f, outer = 47.f - m * 19.f;
        float innerY = 46.f + 1.4f * a, outerY = 42.5f - 1.2f * a;
        Shape brow = Curve({outer, outerY}, {(inner + outer) / 2, outerY - 3.5f + a * 0.6f}, {inner, innerY}, 2.8f + 0.25f * a);
        c.Draw(at, brow, VerticalGradient(38, hair, 52, hairShade), kInk, lw * 0.8f);
    }
    // Furrows between the brows when cross.
    if (level >= 2) {
        c.Draw(at, Capsule(45, 45, 44, 50, 0.6f), shade);
        c.Draw(at, Capsule(49, 45, 50, 50, 0.6f), shade);
    }
    // A throbbing vein.
    if (level >= 3) {
        Rgb vein = Hex(0xA0141E);
        float vx = 63, vy = 35;
        for (int k = 0; k < 4; ++k) {
            float ang = static_cast<float>(k) * kPi / 2 + kPi / 4;
            c.Draw(at, Curve({vx + 1.5f * std::cos(ang), vy + 1.5f * std::sin(ang)},
                             {vx + 4.5f * std::cos(ang + 0.5f), vy + 4.5f * std::sin(ang + 0.5f)},
                             {vx + 5.5f * std::cos(ang), vy + 5.5f * std::sin(ang)}, 0.9f),
                   vein);
        }
    }

    // Mouth under the moustache.
    const float mouthY = 84.f;
    if (talking) {
        float w = 8.f + 1.2f * a, h = 5.5f + 0.6f * a;
        Shape mouth = Ellipse(47, mouthY + 1, w, h);
        c.Draw(at, mouth, Hex(0x6E1A22), kInk, lw);
        c.Draw(at, Intersect(mouth, Ellipse(47, mouthY + 1 + h, w * 0.7f, h * 0.55f)), Hex(0xE0707A));
        if (level >= 2) c.Draw(at, Intersect(mouth, Box(47, mouthY + 1 - h, w, 2.2f)), Hex(0xFFF8E8));
    } else {
        // Flat grumble at calm, a deep downturn when furious.
        float droop = 1.5f + 1.6f * a;
        c.Draw(at, Curve({38 - a * 0.5f, mouthY + droop}, {47, mouthY - droop}, {56 + a * 0.5f, mouthY + droop}, 1.4f), kInk);
        if (level >= 3) {
            Shape teeth = Intersect(Curve({39, mouthY + droop * 0.6f}, {47, mouthY - droop * 0.8f}, {55, mouthY + droop * 0.6f}, 2.2f),
                                    Box(47, mouthY, 7, 5));
            c.Draw(at, teeth, Hex(0xFFF8E8), kInk, lw * 0.6f);
        }
    }
    // Bristly moustache.
    for (int side = 0; side < 2; ++side) {
        float m = side ? 1.f : -1.f;
        Shape tash = Polygon({{47, 75}, {47 + m * 8, 74}, {47 + m * 15, 78}, {47 + m * 14, 81}, {47 + m * 8, 80}, {47, 80}});
        c.Draw(at, Grow(tash, 0.6f), VerticalGradient(74, hair, 81, hairShade), kInk, lw * 0.8f);
    }
    // Big drinker's nose.
    Rgb noseColour = Mix(skin, Hex(0xE5585A), 0.45f);
    c.Draw(at, Ellipse(47, 68, 8.5f, 7.5f), RadialGradient(44, 65, 9, Mix(noseColour, Hex(0xFFFFFF), 0.25f), Scale(noseColour, 0.85f)), kInk, lw);
    c.Draw(at, Ellipse(44, 65, 2.5f, 1.8f), Mix(noseColour, Hex(0xFFFFFF), 0.7f));
}

void DrawLid(Canvas& c, const Place& at, float cx, float cy, float tilt) {
    const float lw = Line(at);
    // Lid in its own units around (0, 0): top face and a front band.
    Shape top = Polygon({{-31, 1}, {-17, -13}, {43 - 31, -13}, {31 - 2, 1}});
    Shape band = Box(-1, 4.5f, 32, 4.5f, 1);
    auto place = [&](Shape s) {
        Shape moved = [s, cx, cy](float x, float y) { return s(x - cx, y - cy); };
        return Rotate(moved, cx, cy, tilt);
    };
    c.Draw(at, place(top), VerticalGradient(cy - 13, Hex(0x6A86D8), cy + 1, Hex(0x3C55A8)), kInk, lw);
    c.Draw(at, place(band), Hex(0x3048A0), kInk, lw);
    c.Draw(at, place(Star(-16, 4.5f, 2.6f, 1.1f, 5)), Hex(0xFFE27A));
    c.Draw(at, place(Star(14, 4.5f, 2.6f, 1.1f, 5)), Hex(0xFFE27A));
}

namespace {

// The front and side of the box body; `keep` limits what is left of them.
void DrawBoxBody(Canvas& c, const Place& at, const Shape& keep) {
    const float lw = Line(at);
    Shape front = Box(35, 57, 31, 33, 1.5f);
    Shape side = Polygon({{66, 24}, {78, 10}, {78, 76}, {66, 90}});
    auto kept = [&](Shape s) { return Intersect(s, keep); };
    c.Draw(at, kept(side), VerticalGradient(10, Hex(0x22357E), 90, Hex(0x141F52)), kInk, lw);
    c.Draw(at, kept(front), VerticalGradient(24, Hex(0x2E4AA6), 90, Hex(0x1B2C70)), kInk, lw);
    // Moon and stars on the front.
    Shape moon = Subtract(Circle(28, 55, 14), Circle(35, 50, 12.5f));
    c.Draw(at, kept(moon), VerticalGradient(41, Hex(0xFFF2B0), 69, Hex(0xF2C45A)), Hex(0x8A6A20), lw * 0.6f);
    const float stars[][3] = {{50, 40, 4.2f}, {55, 68, 3.2f}, {16, 80, 2.6f}, {44, 80, 2.4f}, {58, 52, 2.0f}, {16, 35, 2.2f}};
    for (const auto& s : stars) c.Draw(at, kept(Star(s[0], s[1], s[2], s[2] * 0.42f, 5)), Hex(0xFFE27A));
    // Dots of starlight.
    const float dots[][2] = {{40, 30}, {62, 34}, {24, 72}, {60, 84}, {10, 58}};
    for (const auto& d : dots) c.Draw(at, kept(Circle(d[0], d[1], 0.9f)), Hex(0xCFE0FF));
    // Grain on the side.
    c.Draw(at, kept(Capsule(72, 30, 72, 70, 0.5f)), Hex(0x2C4090));
}

Shape Everything() {
    return [](float, float) { return -1000.f; };
}

}  // namespace

void DrawBox(Canvas& c, const Place& at, float lidLift, float lidTilt) {
    DrawBoxBody(c, at, Everything());
    if (lidLift > 0) {
        // The dark inside shows under a raised lid.
        c.Draw(at, Polygon({{4, 24}, {18, 10}, {78, 10}, {66, 24}}), Hex(0x0E1230), kInk, Line(at));
    }
    DrawLid(c, at, 35, 19 - lidLift, lidTilt);
}

void DrawEatenBox(Canvas& c, const Place& frame, int stage) {
    // The box sits at (12, 1) of the Wanderer's frame.
    Place box{frame.ox + 12 * frame.scale, frame.oy + 1 * frame.scale, frame.scale};
    const float s = static_cast<float>(stage);
    // Jagged bite line: the box is eaten from the top down.
    float cut = stage <= 2 ? -10.f : 16.f + (s - 2.f) * 14.5f;
    Shape left = [cut](float x, float y) {
        float edge = cut + 4.f * std::sin(x * 0.55f) + 3.f * std::sin(x * 1.3f + 1.f);
        return edge - y;
    };
    // Bites out of the top-right corner early on.
    Shape keep = left;
    if (stage >= 2) keep = Subtract(keep, Union(Circle(70, 14, 9), Circle(60, 10, 7)));
    if (stage >= 1) keep = Subtract(keep, Circle(78, 22, 4 + s));

    // His face shows once the box is open enough.
    if (stage >= 3) {
        // He rises out of what is left: nothing of him shows below the bite line.
        int l = c.ClipLeft(), t = c.ClipTop(), r = c.ClipRight(), b = c.ClipBottom();
        int edge = static_cast<int>(box.oy + (cut + 6) * box.scale);
        c.SetClip(l, t, r, std::min(b, edge));
        DrawWanderer(c, frame, 2, stage % 2 == 1);
        c.SetClip(l, t, r, b);
    }
    else if (stage >= 1) {
        // Eyes peeping out of the gap under the raised lid.
        for (float ex : {36.f, 56.f}) {
            c.Draw(box, Ellipse(ex - 12 + (ex < 47 ? 4 : 0), 21, 3.2f, 2.6f), Hex(0xFFFDF5));
            c.Draw(box, Circle(ex - 12 + (ex < 47 ? 4 : 0) + 0.5f, 21.5f, 1.4f), Hex(0x2A1810));
        }
    }
    if (stage <= 2) {
        c.Draw(box, Polygon({{4, 24}, {18, 10}, {78, 10}, {66, 24}}), Hex(0x0E1230), kInk, Line(box));
        for (float ex : {28.f, 44.f}) {
            c.Draw(box, Ellipse(ex, 20, 3.2f, 2.6f), Hex(0xFFFDF5));
            c.Draw(box, Circle(ex + 0.8f, 20.6f, 1.4f), Hex(0x2A1810));
        }
    }
    DrawBoxBody(c, box, keep);
    // Crumbs and splinters flying.
    Random rnd(static_cast<std::uint32_t>(100 + stage));
    int crumbs = 3 + 2 * stage;
    for (int i = 0; i < crumbs; ++i) {
        float x = rnd.Range(4, 78), y = rnd.Range(std::max(2.f, cut - 18), std::max(16.f, cut + 6));
        float r = rnd.Range(1.4f, 3.2f), t = rnd.Range(0, kPi);
        Shape chip = Rotate(Box(x, y, r, r * 0.6f), x, y, t);
        c.Draw(box, chip, i % 3 ? Hex(0x2E4AA6) : Hex(0x6A86D8), kInk, Line(box) * 0.6f);
    }
    // The lid: lifting, then flung off up and away, turning as it goes.
    if (stage <= 2) {
        DrawLid(c, box, 35, 12 - 3 * s, -0.12f * s);
    } else {
        float k = (s - 3) / 4;  // 0 at stage 3, 1 at stage 7
        float scale = 0.8f - 0.2f * k;
        Place lid{frame.ox, frame.oy, frame.scale * scale};
        float cx = 62 + 18 * k, cy = 22 - 8 * k;
        DrawLid(c, lid, cx / scale, cy / scale, -0.3f - 0.45f * k);
    }
}

void DrawSleepMarks(Canvas& c, const Place& frame, int phase) {
    TextStyle style;
    style.fill = VerticalGradient(0, Hex(0xFFFFFF), 20, Hex(0xBFD8FF));
    style.outline = Hex(0x2A3A7A);
    style.outlineWidth = 1.6f * frame.scale;
    auto put = [&](float size, const char* text, float x, float y) {
        TextMask m = RenderText(Font::SansBold, size * frame.scale, text);
        DrawText(c, m, static_cast<int>(frame.ox + x * frame.scale), static_cast<int>(frame.oy + y * frame.scale), style);
    };
    if (phase == 0) {
        put(13, "z", 58, 26);
        put(18, "Z", 72, 8);
    } else {
        put(11, "z", 50, 34);
        put(15, "z", 64, 16);
        put(21, "Z", 76, -2);
    }
}

void DrawCursorFigure(Canvas& c, const Place& at) {
    const Rgb skin = Hex(0xF8D2B0), shade = Hex(0xE0A888);
    const Rgb hair = Hex(0x4A2C1E);
    const float lw = Line(at);
    // Bow tie under the chin.
    Shape tie = Union(Polygon({{50, 88}, {36, 82}, {36, 96}}), Polygon({{50, 88}, {64, 82}, {64, 96}}));
    c.Draw(at, tie, VerticalGradient(82, Hex(0xE8423A), 96, Hex(0xA82028)), kInk, lw);
    c.Draw(at, Circle(50, 88, 3.4f), Hex(0xC02A2C), kInk, lw * 0.8f);
    // Ears and head.
    for (float ex : {20.f, 80.f}) c.Draw(at, Ellipse(ex, 52, 6.5f, 9), skin, kInk, lw);
    Shape head = Ellipse(50, 50, 29, 31);
    c.Draw(at, head, RadialGradient(44, 40, 38, Hex(0xFFE6CE), shade), kInk, lw);
    // Slick hair with a centre parting.
    Shape hairShape = Intersect(Grow(head, 1.0f), [](float x, float y) {
        float part = std::fabs(x - 50);
        return y - (30 - part * 0.05f + (part < 3 ? -2.f : 0.f) + 0.004f * part * part * 0 + (part > 22 ? (part - 22) * 1.2f : 0.f));
    });
    c.Draw(at, hairShape, VerticalGradient(18, Hex(0x6E4430), 34, hair), kInk, lw);
    c.Draw(at, Capsule(50, 19, 50, 29, 0.8f), Hex(0x2E1A12));
    c.Draw(at, Curve({34, 24}, {40, 21}, {45, 23}, 1.0f), Hex(0x9A6A50));
    c.Draw(at, Curve({56, 23}, {61, 21}, {66, 24}, 1.0f), Hex(0x9A6A50));
    // Happy closed eyes and raised brows.
    for (float ex : {39.f, 61.f}) {
        c.Draw(at, Curve({ex - 5, 46}, {ex, 40}, {ex + 5, 46}, 1.3f), kInk);
        c.Draw(at, Curve({ex - 6, 36}, {ex, 33}, {ex + 6, 36}, 1.4f), hair);
        c.Draw(at, Ellipse(ex + (ex < 50 ? -4.f : 4.f), 58, 5, 3.2f), Hex(0xF49A8C));
    }
    // Nose.
    c.Draw(at, Ellipse(50, 55, 4.5f, 5.5f), Hex(0xF4B896), kInk, lw * 0.8f);
    // Wide smile.
    Shape smile = Intersect(Ellipse(50, 67, 11, 8), [](float, float y) { return 66.5f - y; });
    c.Draw(at, smile, Hex(0x7A2230), kInk, lw);
    c.Draw(at, Intersect(smile, Box(50, 68, 9, 1.6f)), Hex(0xFFFFFF));
    // Grand curled moustache.
    for (int side = 0; side < 2; ++side) {
        float m = side ? 1.f : -1.f;
        Shape tash = Union(Curve({50, 62}, {50 + m * 10, 58}, {50 + m * 19, 62}, 2.8f),
                           Curve({50 + m * 19, 62}, {50 + m * 25, 63}, {50 + m * 23, 56}, 1.8f));
        c.Draw(at, tash, hair, kInk, lw * 0.8f);
    }
}

void DrawBottle(Canvas& c, const Place& at) {
    const float lw = Line(at);
    Shape body = Union(Box(25, 72, 13, 24, 5), Union(Ellipse(25, 50, 13, 9), Box(25, 33, 5, 15, 2)));
    c.Draw(at, body, [](float x, float) { return Mix(Hex(0x4FB060), Hex(0x1E5A2C), Clamp01((x - 12) / 26)); }, kInk, lw);
    // Liquid level and shine.
    c.Draw(at, Intersect(body, [](float, float y) { return 52 - y; }), [](float x, float) {
        return Mix(Hex(0x64C478), Hex(0x2C7038), Clamp01((x - 12) / 26));
    });
    c.Draw(at, Intersect(body, [](float, float y) { return y - 52; }), [](float x, float) {
        return Mix(Hex(0x3E9A50), Hex(0x164624), Clamp01((x - 12) / 26));
    });
    c.Draw(at, Capsule(17, 44, 17, 90, 1.6f), Hex(0xC8F0CC));
    // Label.
    Shape label = Box(25, 68, 12.5f, 10, 1);
    c.Draw(at, label, Hex(0xF6E8C4), kInk, lw * 0.7f);
    c.Draw(at, Box(25, 63, 12.5f, 2.5f), Hex(0xC8342C));
    c.Draw(at, Star(25, 71, 4.2f, 1.8f, 5), Hex(0xD89A2A), kInk, lw * 0.4f);
    // Cork and neck band.
    c.Draw(at, Box(25, 13, 4, 5, 1), Hex(0xC89058), kInk, lw);
    c.Draw(at, Box(25, 20, 6, 2, 1), Hex(0xC8342C), kInk, lw * 0.7f);
}

void DrawTumbler(Canvas& c, const Place& at) {
    const float lw = Line(at);
    Shape glass = Polygon({{54, 9}, {86, 9}, {83, 45}, {57, 45}});
    c.Draw(at, glass, Hex(0xD8ECF4), kInk, lw);
    Shape drink = Intersect(Grow(glass, -1.5f), [](float, float y) { return 23 - y; });
    c.Draw(at, drink, VerticalGradient(23, Hex(0xF0A838), 45, Hex(0xB8641E)));
    c.Draw(at, Rotate(Box(66, 25, 5.5f, 5, 1.5f), 66, 25, 0.3f), Hex(0xF0FAFF), Hex(0x8AB4C8), lw * 0.6f);
    c.Draw(at, Capsule(59, 13, 61, 40, 1.2f), Hex(0xFFFFFF));
    c.Draw(at, Box(70, 43.5f, 12.5f, 1.2f), Hex(0xA8C8D8));
}

void DrawPint(Canvas& c, const Place& at) {
    const float lw = Line(at);
    Shape glass = Polygon({{55, 60}, {85, 60}, {82, 97}, {58, 97}});
    c.Draw(at, glass, Hex(0xE6F2F6), kInk, lw);
    Shape beer = Intersect(Grow(glass, -1.5f), [](float, float y) { return 64 - y; });
    c.Draw(at, beer, VerticalGradient(64, Hex(0xFFC93C), 97, Hex(0xD07A14)));
    for (int i = 0; i < 6; ++i)
        c.Draw(at, Circle(62.f + static_cast<float>(i * 37 % 17), 70.f + static_cast<float>(i * 23 % 24), 0.9f), Hex(0xFFF0B0));
    Shape foam = Union(Union(Circle(60, 59, 5), Circle(68, 56, 6)), Union(Circle(77, 57, 5.5f), Circle(84, 60, 4)));
    foam = Union(foam, Box(70, 62, 15, 3));
    c.Draw(at, foam, VerticalGradient(50, Hex(0xFFFFFF), 65, Hex(0xF0E2C0)), kInk, lw);
    c.Draw(at, Capsule(60, 68, 61, 92, 1.2f), Hex(0xFFF6D8));
    // Drip down the side.
    c.Draw(at, Capsule(57, 62, 57, 70, 1.4f), Hex(0xFFFFFF), kInk, lw * 0.6f);
}

void DrawSpectre(Canvas& c, const Place& at) {
    const float lw = Line(at);
    // Hood and body with a wavy hem, arms raised.
    Shape body = Union(Circle(50, 36, 23), Box(50, 58, 23, 22, 4));
    Shape hem = [](float x, float y) { return y - (84.f + 5.f * std::sin((x - 27.f) * 0.42f)); };
    body = Intersect(body, Grow(hem, 0));
    body = Union(body, Rotate(Ellipse(24, 52, 12, 5.5f), 24, 52, 0.7f));
    body = Union(body, Rotate(Ellipse(76, 52, 12, 5.5f), 76, 52, -0.7f));
    // Tail wisps at the hem.
    for (float tx : {34.f, 50.f, 66.f}) body = Union(body, Circle(tx, 85.f + 5.f * std::sin((tx - 27.f) * 0.42f), 4.5f));
    c.Draw(at, body, RadialGradient(44, 34, 60, Hex(0xF0FFFA), Hex(0x8CC4E8)), Hex(0x2C3C7E), lw);
    // Hollow eyes, a wailing mouth.
    for (float ex : {41.f, 59.f}) {
        c.Draw(at, Ellipse(ex, 35, 5, 7.5f), Hex(0x2A2C5A));
        c.Draw(at, Circle(ex + 1.2f, 32, 1.3f), Hex(0xB8F0FF));
    }
    c.Draw(at, Ellipse(50, 52, 5, 7), Hex(0x2A2C5A));
    // Glow spots.
    c.Draw(at, Ellipse(38, 22, 5, 2.5f), Hex(0xFFFFFF));
}

void DrawSparkle(Canvas& c, const Place& at, float cx, float cy, float size, float turn) {
    if (size <= 0.2f) return;
    Shape star = Star(cx, cy, size, size * 0.22f, 4, turn);
    c.Draw(at, star, RadialGradient(cx, cy, size, Hex(0xFFFFFF), Hex(0xA8E8FF)), Hex(0x4060B0), Line(at) * 0.6f);
}

std::unique_ptr<Canvas> WandererFace(int size, int supersample, int outline) {
    const int k = supersample;
    Canvas big(size * k, size * k);
    // The face spans about x 4..90 and y 8..98 of its frame.
    const float scale = static_cast<float>(size * k) / 92.f;
    DrawWanderer(big, Place{-3 * scale, -6 * scale, scale}, outline, false);
    auto c = std::make_unique<Canvas>(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int dy = 0; dy < k; ++dy)
                for (int dx = 0; dx < k; ++dx) {
                    const Pixel& p = big.At(x * k + dx, y * k + dy);
                    r += p.r * p.a;
                    g += p.g * p.a;
                    b += p.b * p.a;
                    a += p.a;
                }
            if (a > 0) c->At(x, y) = {r / a, g / a, b / a, a / static_cast<float>(k * k)};
        }
    return c;
}

}  // namespace art

// BltFast and Blt read back through Lock: rectangles, their refusals, the
// excluded right and bottom edges, colour keys, stretching and clip lists.
#include <algorithm>
#include <functional>
#include <numeric>

#include "display_fixture.h"

namespace {

// A source whose every pixel is distinct: value = 1 + y * width + x.
std::vector<std::uint16_t> Ramp(int width, int height) {
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(width) * height);
    std::iota(pixels.begin(), pixels.end(), std::uint16_t{1});
    return pixels;
}

constexpr std::uint16_t kBlank = 0xBEEF;

}  // namespace

TEST_F(DisplayTest, BltFastRectangleResults) {
    IDirectDrawSurface7* source = Make(8, 8);
    Paint(source, Ramp(8, 8));
    struct Case {
        const char* name;
        DWORD x, y;
        RECT src;
        HRESULT expected;
    } cases[] = {
        {"inside", 2, 2, {0, 0, 4, 4}, DD_OK},
        {"touching right and bottom edges", 6, 6, {0, 0, 4, 4}, DD_OK},
        {"one past the right edge", 7, 0, {0, 0, 4, 4}, DDERR_INVALIDRECT},
        {"one past the bottom edge", 0, 7, {0, 0, 4, 4}, DDERR_INVALIDRECT},
        {"far outside", 0xFFFFFFF0u, 0, {0, 0, 4, 4}, DDERR_INVALIDRECT},
        {"empty source", 0, 0, {2, 2, 2, 4}, DDERR_INVALIDRECT},
        {"inverted source", 0, 0, {4, 4, 2, 2}, DDERR_INVALIDRECT},
        {"source beyond its surface", 0, 0, {6, 6, 9, 8}, DDERR_INVALIDRECT},
        {"negative source", 0, 0, {-1, 0, 2, 2}, DDERR_INVALIDRECT},
    };
    for (const Case& c : cases) {
        IDirectDrawSurface7* dest = Make(10, 10, kBlank);
        RECT src = c.src;
        EXPECT_EQ(dest->BltFast(c.x, c.y, source, &src, DDBLTFAST_NOCOLORKEY), c.expected) << c.name;
        const auto pixels = Pixels(dest);
        if (c.expected != DD_OK) {
            EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kBlank), 100) << c.name << ": drew something";
            continue;
        }
        // Exactly the 4 x 4 block changed: the right and bottom edges are excluded.
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool inside = x >= static_cast<int>(c.x) && x < static_cast<int>(c.x) + 4 &&
                                    y >= static_cast<int>(c.y) && y < static_cast<int>(c.y) + 4;
                const std::uint16_t want =
                    inside ? static_cast<std::uint16_t>(1 + (y - c.y) * 8 + (x - c.x)) : kBlank;
                ASSERT_EQ(pixels[y * 10 + x], want) << c.name << " at " << x << "," << y;
            }
    }
}

TEST_F(DisplayTest, BltFastWholeSourceAndOverlapWithinOneSurface) {
    IDirectDrawSurface7* surface = Make(16, 4);
    Paint(surface, Ramp(16, 4));
    const auto before = Pixels(surface);
    RECT left{0, 0, 12, 4};
    ASSERT_EQ(surface->BltFast(3, 0, surface, &left, 0), DD_OK);
    const auto after = Pixels(surface);
    for (int y = 0; y < 4; ++y)
        for (int x = 3; x < 15; ++x) EXPECT_EQ(after[y * 16 + x], before[y * 16 + x - 3]) << x << "," << y;
}

TEST_F(DisplayTest, SourceColourKeyLeavesOutExactlyItsValue) {
    // Widths around the blitter's 8- and 16-pixel steps; opaque runs of every
    // length from 1 to 40 between transparent gaps, made of the key's
    // neighbouring values. The first keyed copy and the repeated ones take
    // different paths through the blitter; all must agree.
    const std::uint16_t key = 0xF81F;
    for (int width : {1, 7, 8, 9, 13, 16, 17, 33, 100}) {
        std::vector<std::uint16_t> sprite(static_cast<std::size_t>(width) * 3, key);
        int run = 1, i = 0;
        const int total = static_cast<int>(sprite.size());
        while (i < total) {
            for (int k = 0; k < run && i < total; ++k, ++i)
                sprite[i] = static_cast<std::uint16_t>(key + ((i % 2) ? 1 : -1));
            i += 1 + run % 3;  // a gap of the key itself
            run = run % 40 + 1;
        }
        IDirectDrawSurface7* source = Make(width, 3);
        Paint(source, sprite);
        DDCOLORKEY colourKey{key, key};
        ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &colourKey), DD_OK);

        for (int use = 0; use < 3; ++use) {
            IDirectDrawSurface7* keyed = Make(width, 3, kBlank);
            ASSERT_EQ(keyed->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
            const auto k = Pixels(keyed);
            for (std::size_t p = 0; p < sprite.size(); ++p)
                ASSERT_EQ(k[p], sprite[p] == key ? kBlank : sprite[p])
                    << "width " << width << " copy " << use << " pixel " << p;
        }
        IDirectDrawSurface7* plain = Make(width, 3, kBlank);
        ASSERT_EQ(plain->BltFast(0, 0, source, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
        EXPECT_EQ(Pixels(plain), sprite) << "width " << width;
    }
}

TEST_F(DisplayTest, ColourKeyRangeAndBltKeySource) {
    IDirectDrawSurface7* source = Make(10, 1);
    Paint(source, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
    DDCOLORKEY range{12, 15};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &range), DD_OK);
    IDirectDrawSurface7* dest = Make(10, 1, 0);
    ASSERT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(Pixels(dest), (std::vector<std::uint16_t>{10, 11, 0, 0, 0, 0, 16, 17, 18, 19}));
    // Without the key flag Blt copies everything.
    ASSERT_EQ(dest->Blt(nullptr, source, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Pixels(dest), Pixels(source));
}

TEST_F(DisplayTest, BltStretchesByNearestSampling) {
    IDirectDrawSurface7* source = Make(2, 2);
    Paint(source, {1, 2, 3, 4});
    IDirectDrawSurface7* big = Make(4, 4, 0);
    ASSERT_EQ(big->Blt(nullptr, source, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Pixels(big), (std::vector<std::uint16_t>{1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}));

    IDirectDrawSurface7* wide = Make(6, 2);
    Paint(wide, Ramp(6, 2));
    IDirectDrawSurface7* small = Make(3, 1, 0);
    ASSERT_EQ(small->Blt(nullptr, wide, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Pixels(small), (std::vector<std::uint16_t>{1, 3, 5}));

    // Into part of the destination, from part of the source.
    IDirectDrawSurface7* dest = Make(5, 5, kBlank);
    RECT to{1, 1, 5, 3}, from{0, 0, 2, 1};
    ASSERT_EQ(dest->Blt(&to, source, &from, 0, nullptr), DD_OK);
    const auto pixels = Pixels(dest);
    EXPECT_EQ(pixels[0], kBlank);
    EXPECT_EQ(pixels[1 * 5 + 1], 1);
    EXPECT_EQ(pixels[1 * 5 + 2], 1);
    EXPECT_EQ(pixels[2 * 5 + 3], 2);
    EXPECT_EQ(pixels[2 * 5 + 4], 2);
    EXPECT_EQ(pixels[3 * 5 + 4], kBlank);
}

TEST_F(DisplayTest, BltWithoutClipperRefusesRectanglesOutside) {
    IDirectDrawSurface7* source = Make(4, 4, 0x1111);
    IDirectDrawSurface7* dest = Make(8, 8, kBlank);
    RECT outside{6, 6, 10, 10}, empty{2, 2, 2, 6}, inverted{5, 5, 1, 1};
    EXPECT_EQ(dest->Blt(&outside, source, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(&empty, source, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(&inverted, source, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, source, &outside, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    const auto pixels = Pixels(dest);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), kBlank), 64);
}

TEST_F(DisplayTest, ClipListConfinesBltAndScalesTheSource) {
    IDirectDrawSurface7* source = Make(4, 4);
    Paint(source, Ramp(4, 4));
    // The same 2x stretch once without and once with a clip list.
    IDirectDrawSurface7* whole = Make(12, 12, kBlank);
    RECT to{2, 2, 10, 10};
    ASSERT_EQ(whole->Blt(&to, source, nullptr, 0, nullptr), DD_OK);

    IDirectDrawSurface7* clipped = Make(12, 12, kBlank);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    RECT box{3, 0, 7, 12};
    HRGN region = CreateRectRgnIndirect(&box);
    const DWORD size = GetRegionData(region, 0, nullptr);
    ASSERT_EQ(size, sizeof(RGNDATAHEADER) + sizeof(RECT));
    std::vector<char> data(size);
    ASSERT_EQ(GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data())), size);
    ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(data.data()), 0), DD_OK);
    DeleteObject(region);
    ASSERT_EQ(clipped->SetClipper(clipper), DD_OK);

    // With a clipper a rectangle reaching outside the surface is clipped, not refused.
    RECT beyond{-4, -4, 20, 20};
    IDirectDrawSurface7* probe = Make(12, 12, kBlank);
    ASSERT_EQ(probe->SetClipper(clipper), DD_OK);
    EXPECT_EQ(probe->Blt(&beyond, source, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(probe->BltFast(0, 0, source, nullptr, 0), DDERR_UNSUPPORTED);
    EXPECT_EQ(probe->SetClipper(nullptr), DD_OK);

    ASSERT_EQ(clipped->Blt(&to, source, nullptr, 0, nullptr), DD_OK);
    const auto w = Pixels(whole);
    const auto c = Pixels(clipped);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inClip = x >= 3 && x < 7;
            EXPECT_EQ(c[y * 12 + x], inClip ? w[y * 12 + x] : kBlank) << x << "," << y;
        }
    EXPECT_EQ(clipper->Release(), 1u);  // the surface still holds it
}

TEST_F(DisplayTest, ClipperWithoutListIsRefused) {
    IDirectDrawSurface7* source = Make(2, 2);
    IDirectDrawSurface7* dest = Make(2, 2);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(dest->SetClipper(clipper), DD_OK);
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, 0, nullptr), DDERR_NOCLIPLIST);
    RGNDATA bad{};
    bad.rdh.dwSize = 12;
    EXPECT_EQ(clipper->SetClipList(&bad, 0), DDERR_INVALIDCLIPLIST);
    clipper->Release();
}

TEST_F(DisplayTest, ColourFill) {
    IDirectDrawSurface7* dest = Make(3, 2, 0);
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = 0x07E0;
    RECT part{1, 0, 3, 1};
    ASSERT_EQ(dest->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    EXPECT_EQ(Pixels(dest), (std::vector<std::uint16_t>{0, 0x07E0, 0x07E0, 0, 0, 0}));
    EXPECT_EQ(dest->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DisplayTest, RepeatedKeyedCopiesFollowChangesToTheSource) {
    // A sheet of two frames drawn again and again, as sprites are; between
    // draws the sheet is changed through Lock, a DC and a blit into it.
    const std::uint16_t key = 0x0001;
    IDirectDrawSurface7* sheet = Make(40, 3);
    std::vector<std::uint16_t> pixels(40 * 3, key);
    for (int x = 3; x < 37; ++x) pixels[40 + x] = static_cast<std::uint16_t>(100 + x);
    pixels[0] = 7;
    pixels[2 * 40 + 39] = 9;
    Paint(sheet, pixels);
    DDCOLORKEY colourKey{key, key};
    ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &colourKey), DD_OK);

    auto expectFrame = [&](int left, const std::vector<std::uint16_t>& source, const char* when) {
        IDirectDrawSurface7* dest = Make(20, 3, kBlank);
        RECT frame{left, 0, left + 20, 3};
        ASSERT_EQ(dest->BltFast(0, 0, sheet, &frame, DDBLTFAST_SRCCOLORKEY), DD_OK);
        const auto got = Pixels(dest);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 20; ++x) {
                const std::uint16_t s = source[y * 40 + left + x];
                ASSERT_EQ(got[y * 20 + x], s == key ? kBlank : s) << when << " at " << x << "," << y;
            }
    };
    for (int round = 0; round < 3; ++round) {
        expectFrame(0, pixels, "left frame");
        expectFrame(20, pixels, "right frame");
    }
    PaintPixel(sheet, 10, 0, 55);
    pixels[10] = 55;
    expectFrame(0, pixels, "after Lock");
    expectFrame(0, pixels, "after Lock, again");

    IDirectDrawSurface7* patch = Make(2, 1, key);
    ASSERT_EQ(sheet->BltFast(36, 1, patch, nullptr, 0), DD_OK);
    pixels[40 + 36] = key;
    pixels[40 + 37] = key;
    expectFrame(20, pixels, "after a blit into the sheet");
    expectFrame(20, pixels, "after a blit into the sheet, again");

    // Blt at the same size takes the same path, confined by a clip list.
    IDirectDrawSurface7* dest = Make(20, 3, kBlank);
    RECT frame{0, 0, 20, 3};
    for (int i = 0; i < 2; ++i) ASSERT_EQ(dest->Blt(nullptr, sheet, &frame, DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(PixelAt(dest, 0, 0), 7);
    EXPECT_EQ(PixelAt(dest, 1, 0), kBlank);
    EXPECT_EQ(PixelAt(dest, 10, 0), 55);
    EXPECT_EQ(PixelAt(dest, 5, 1), 105);
}

// Run edges at every place in a row: rows from wholly keyed to wholly
// opaque, with single pixels, pairs and long stretches, in a width that is
// no multiple of any vector step. The second and later copies go through
// the picture's cached runs; every copy must match pixel for pixel.
TEST_F(DisplayTest, KeyedCopiesMatchThePictureWhereverItsRunsBeginAndEnd) {
    const int width = 83, height = 12;
    const std::uint16_t key = 0x0842;
    std::vector<std::uint16_t> pixels(width * height);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const unsigned roll = (state >> 16) % 12;
            // Row y is keyed with a chance of y in 11: none on the first row, all on the last.
            pixels[y * width + x] = roll < static_cast<unsigned>(y) ? key : static_cast<std::uint16_t>(0x1000 + x + y);
        }
    IDirectDrawSurface7* picture = Make(width, height);
    Paint(picture, pixels);
    DDCOLORKEY colourKey{key, key};
    ASSERT_EQ(picture->SetColorKey(DDCKEY_SRCBLT, &colourKey), DD_OK);
    for (const int left : {0, 1, 7, 16, 17}) {
        for (int copy = 0; copy < 2; ++copy) {
            IDirectDrawSurface7* dest = Make(width, height, kBlank);
            RECT part{left, 0, width, height};
            ASSERT_EQ(dest->BltFast(0, 0, picture, &part, DDBLTFAST_SRCCOLORKEY), DD_OK);
            const auto got = Pixels(dest);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width - left; ++x) {
                    const std::uint16_t s = pixels[y * width + left + x];
                    ASSERT_EQ(got[y * width + x], s == key ? kBlank : s)
                        << "from column " << left << ", copy " << copy << ", at " << x << "," << y;
                }
        }
    }
}

TEST_F(DisplayTest, KeyedCopiesFollowBandsDrawnIntoTheSource) {
    // A picture keyed onto a screen every frame while bands of it are drawn
    // again in between, as a scrolling box on a title is: each band may hold
    // more, fewer or other runs than before, and bands may meet.
    const std::uint16_t key = 0;
    const int width = 72, height = 40;
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(width) * height);
    for (int i = 0; i < width * height; ++i) pixels[i] = (i / 3 + i / 7) % 4 == 0 ? key : static_cast<std::uint16_t>(i);
    IDirectDrawSurface7* picture = Make(width, height);
    Paint(picture, pixels);
    DDCOLORKEY colourKey{key, key};
    ASSERT_EQ(picture->SetColorKey(DDCKEY_SRCBLT, &colourKey), DD_OK);

    struct Band {
        int top, rows;
        std::uint16_t pattern;  // 0: all keyed, 1: all opaque, else keyed every `pattern` pixels
        bool throughClipper;
    };
    const Band bands[] = {{10, 4, 2, false}, {10, 4, 0, false}, {0, 3, 1, false}, {37, 3, 5, false},
                          {5, 6, 3, true},   {8, 9, 0, true},   {0, 20, 2, false},
                          {0, 21, 3, false}};
    IDirectDrawClipper* clipper = nullptr;
    for (int round = 0; round < 3; ++round) {
        for (const Band& band : bands) {
            std::vector<std::uint16_t> drawn(static_cast<std::size_t>(width) * band.rows);
            for (int i = 0; i < width * band.rows; ++i)
                drawn[i] = band.pattern == 0 || (band.pattern > 1 && i % band.pattern == round % band.pattern)
                               ? key
                               : static_cast<std::uint16_t>(500 + i + round);
            if (band.throughClipper) {
                // The whole picture as the target, as a scrolling box draws:
                // only the clip list's band may change.
                IDirectDrawSurface7* source = Make(width, height, 0x7777);
                std::vector<std::uint16_t> whole(static_cast<std::size_t>(width) * height, 0x7777);
                std::copy(drawn.begin(), drawn.end(), whole.begin() + band.top * width);
                Paint(source, whole);
                ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
                const RECT rect{0, band.top, width, band.top + band.rows};
                struct {
                    RGNDATAHEADER header;
                    RECT rect;
                } list{{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 1, sizeof(RECT), rect}, rect};
                ASSERT_EQ(clipper->SetClipList(reinterpret_cast<LPRGNDATA>(&list), 0), DD_OK);
                ASSERT_EQ(picture->SetClipper(clipper), DD_OK);
                ASSERT_EQ(picture->Blt(nullptr, source, nullptr, 0, nullptr), DD_OK);
                ASSERT_EQ(picture->SetClipper(nullptr), DD_OK);
                clipper->Release();
            } else {
                IDirectDrawSurface7* source = Make(width, band.rows);
                Paint(source, drawn);
                ASSERT_EQ(picture->BltFast(0, static_cast<DWORD>(band.top), source, nullptr, 0), DD_OK);
            }
            std::copy(drawn.begin(), drawn.end(), pixels.begin() + band.top * width);
            IDirectDrawSurface7* screen = Make(width, height, kBlank);
            ASSERT_EQ(screen->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
            const auto got = Pixels(screen);
            for (int i = 0; i < width * height; ++i)
                ASSERT_EQ(got[i], pixels[i] == key ? kBlank : pixels[i])
                    << "round " << round << ", band at " << band.top << ", pixel " << i % width << "," << i / width;
        }
    }
}

TEST_F(DisplayTest, FillAndKeyRangesOnEverySurfaceKind) {
    // The primary (normal level), off-screen surfaces in either memory, and
    // both ends of an off-screen flipping chain: fills and keyed copies
    // behave the same on all of them.
    auto create = [&](DDSURFACEDESC2 desc) {
        desc.dwSize = sizeof(desc);
        IDirectDrawSurface7* surface = nullptr;
        EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
        if (surface) made.push_back(surface);
        return surface;
    };
    DDSURFACEDESC2 primary{};
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    DDSURFACEDESC2 plain{};
    plain.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    plain.dwWidth = 16;
    plain.dwHeight = 4;
    plain.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    DDSURFACEDESC2 video = plain;
    video.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    DDSURFACEDESC2 chain = plain;
    chain.dwFlags |= DDSD_BACKBUFFERCOUNT;
    chain.dwBackBufferCount = 1;
    chain.ddsCaps.dwCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* chainFront = create(chain);
    ASSERT_NE(chainFront, nullptr);
    DDSCAPS2 backCaps{};
    backCaps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* chainBack = nullptr;
    ASSERT_EQ(chainFront->GetAttachedSurface(&backCaps, &chainBack), DD_OK);
    made.push_back(chainBack);
    struct Kind {
        const char* name;
        IDirectDrawSurface7* surface;
    } kinds[] = {
        {"primary", create(primary)},
        {"system-memory off-screen", create(plain)},
        {"video-memory off-screen", create(video)},
        {"front of an off-screen chain", chainFront},
        {"back of an off-screen chain", chainBack},
    };

    // Pixels 10..19; the key range 12..15 leaves out four of them.
    IDirectDrawSurface7* source = Make(10, 1);
    Paint(source, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
    DDCOLORKEY range{12, 15};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &range), DD_OK);
    const std::uint16_t keyed[10] = {10, 11, kBlank, kBlank, kBlank, kBlank, 16, 17, 18, 19};
    DDBLTFX fill{};
    fill.dwSize = sizeof(fill);
    fill.dwFillColor = kBlank;
    DDBLTFX override{};
    override.dwSize = sizeof(override);
    override.ddckSrcColorkey = range;
    for (const Kind& kind : kinds) {
        ASSERT_NE(kind.surface, nullptr) << kind.name;
        RECT row0{0, 0, 10, 1}, row1{0, 1, 10, 2}, row2{0, 2, 10, 3};
        for (RECT* row : {&row0, &row1, &row2})
            ASSERT_EQ(kind.surface->Blt(row, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK)
                << kind.name;
        EXPECT_EQ(PixelAt(kind.surface, 9, 2), kBlank) << kind.name;
        EXPECT_EQ(PixelAt(kind.surface, 10, 0), 0) << kind.name << ": filled outside its rectangle";
        ASSERT_EQ(kind.surface->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK) << kind.name;
        ASSERT_EQ(kind.surface->Blt(&row1, source, nullptr, DDBLT_KEYSRC, nullptr), DD_OK) << kind.name;
        ASSERT_EQ(kind.surface->Blt(&row2, source, nullptr, DDBLT_KEYSRCOVERRIDE, &override), DD_OK) << kind.name;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(PixelAt(kind.surface, x, y), keyed[x]) << kind.name << " at " << x << "," << y;
    }
}

// A copy of whole rows may be made later than BltFast returns (or never, when
// a keyed copy puts back what the rows already held); what the program reads
// must always be what it drew, in whatever order the surfaces change after.
TEST_F(DisplayTest, WholeRowCopiesReadAsDrawnWhateverHappensNext) {
    // Rows wide enough that copies cover parts of them.
    constexpr int kWidth = 160, kHeight = 6;
    const auto ramp = Ramp(kWidth, kHeight);
    const auto keyedPicture = [&] {
        // Key 0 everywhere but a bar on rows 2 and 3 and a dot on row 4.
        std::vector<std::uint16_t> pixels(kWidth * kHeight, 0);
        for (int x = 58; x < 70; ++x) pixels[2 * kWidth + x] = pixels[3 * kWidth + x] = 0x07E0;
        pixels[4 * kWidth + 150] = 0x001F;
        return pixels;
    };
    const auto composite = [&](std::vector<std::uint16_t> under) {
        const auto over = keyedPicture();
        for (std::size_t i = 0; i < under.size(); ++i)
            if (over[i] != 0) under[i] = over[i];
        return under;
    };
    DDCOLORKEY black{0, 0};
    struct Case {
        const char* name;
        // Runs after `dest` took a whole copy of `background`; returns what dest must hold.
        std::function<std::vector<std::uint16_t>(IDirectDrawSurface7* dest, IDirectDrawSurface7*& background,
                                                 IDirectDrawSurface7* picture)>
            then;
    } cases[] = {
        {"read at once", [&](auto, auto&, auto) { return ramp; }},
        {"background filled afterwards",
         [&](auto, IDirectDrawSurface7*& background, auto) {
             DDBLTFX fx{};
             fx.dwSize = sizeof(fx);
             fx.dwFillColor = 0x1234;
             EXPECT_EQ(background->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
             return ramp;
         }},
        {"background locked and painted afterwards",
         [&](auto, IDirectDrawSurface7*& background, auto) {
             Paint(background, std::vector<std::uint16_t>(kWidth * kHeight, 0x4321));
             return ramp;
         }},
        {"background released afterwards",
         [&](auto, IDirectDrawSurface7*& background, auto) {
             made.erase(std::find(made.begin(), made.end(), background));
             EXPECT_EQ(background->Release(), 0u);
             background = nullptr;
             return ramp;
         }},
        {"background drawn over by a keyed copy",
         [&](auto, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             EXPECT_EQ(background->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             return ramp;
         }},
        {"copied on to a third surface, then the background changes",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, auto) {
             IDirectDrawSurface7* third = Make(kWidth, kHeight, kBlank);
             EXPECT_EQ(third->BltFast(0, 0, dest, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
             Paint(background, std::vector<std::uint16_t>(kWidth * kHeight, 0x4321));
             EXPECT_EQ(Pixels(third), ramp);
             return ramp;
         }},
        {"part of a row filled",
         [&](IDirectDrawSurface7* dest, auto&, auto) {
             DDBLTFX fx{};
             fx.dwSize = sizeof(fx);
             fx.dwFillColor = 0x5555;
             RECT part{63, 1, 65, 2};
             EXPECT_EQ(dest->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
             auto want = ramp;
             want[1 * kWidth + 63] = want[1 * kWidth + 64] = 0x5555;
             return want;
         }},
        {"a keyed picture put over it, three times over",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             for (int frame = 0; frame < 3; ++frame) {
                 EXPECT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
                 EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             }
             return composite(ramp);
         }},
        {"the same keyed picture, then the background alone",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             EXPECT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
             return ramp;
         }},
        {"a keyed picture over it, then the picture changes and is put over again",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             PaintPixel(picture, 65, 3, 0xF800);
             EXPECT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
             EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             auto want = composite(ramp);
             want[3 * kWidth + 65] = 0xF800;
             return want;
         }},
        {"a small keyed block put over rows still owed",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             EXPECT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
             RECT bar{60, 2, 68, 4};
             EXPECT_EQ(dest->BltFast(90, 0, picture, &bar, DDBLTFAST_SRCCOLORKEY), DD_OK);
             auto want = ramp;
             for (int y = 0; y < 2; ++y)
                 for (int x = 90; x < 98; ++x) want[y * kWidth + x] = 0x07E0;
             return want;
         }},
        {"the keyed picture put one pixel further right",
         [&](IDirectDrawSurface7* dest, IDirectDrawSurface7*& background, IDirectDrawSurface7* picture) {
             EXPECT_EQ(dest->BltFast(0, 0, picture, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
             EXPECT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
             RECT left{0, 0, kWidth - 1, kHeight};
             EXPECT_EQ(dest->BltFast(1, 0, picture, &left, DDBLTFAST_SRCCOLORKEY), DD_OK);
             auto want = ramp;
             const auto over = keyedPicture();
             for (int y = 0; y < kHeight; ++y)
                 for (int x = 1; x < kWidth; ++x)
                     if (over[y * kWidth + x - 1] != 0) want[y * kWidth + x] = over[y * kWidth + x - 1];
             return want;
         }},
    };
    for (const Case& c : cases) {
        IDirectDrawSurface7* background = Make(kWidth, kHeight);
        Paint(background, ramp);
        IDirectDrawSurface7* picture = Make(kWidth, kHeight);
        Paint(picture, keyedPicture());
        ASSERT_EQ(picture->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
        IDirectDrawSurface7* dest = Make(kWidth, kHeight, kBlank);
        ASSERT_EQ(dest->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
        const auto want = c.then(dest, background, picture);
        EXPECT_EQ(Pixels(dest), want) << c.name;
    }
}

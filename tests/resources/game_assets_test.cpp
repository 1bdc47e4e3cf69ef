// The game's own resources, read through the layer as the game reads them:
// picture sizes and formats, the colour-key rules that 16-bit surfaces rely
// on, the fonts' glyph layouts, the sounds' formats and lengths, and the
// files shipped beside the executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "res_file.h"
#include "seam/resources.h"

namespace {

struct Colour {
    std::uint8_t r, g, b;
};
std::uint16_t To565(Colour c) { return static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)); }

std::uint32_t Le(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::vector<std::uint8_t> Resource(int id, LPCSTR type) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return {data, data + SizeofResource(nullptr, found)};
}

// A bitmap resource decoded: 8-bit palette, rows top first.
struct Picture {
    int width = 0, height = 0, bits = 0, compression = -1;
    std::vector<Colour> palette;
    std::vector<std::uint8_t> index;
    std::uint8_t At(int x, int y) const { return index[static_cast<std::size_t>(y * width + x)]; }
    Colour ColourAt(int x, int y) const { return palette[At(x, y)]; }
    bool IsGround(int x, int y) const { return To565(ColourAt(x, y)) == To565(ColourAt(0, 0)); }
    int InkIn(int l, int t, int r, int b) const {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) n += IsGround(x, y) ? 0 : 1;
        return n;
    }
};

Picture LoadPicture(int id) {
    Picture p;
    std::vector<std::uint8_t> d = Resource(id, RT_BITMAP);
    if (d.size() < 40) return p;
    p.width = static_cast<int>(Le(&d[4], 4));
    int h = static_cast<std::int32_t>(Le(&d[8], 4));
    p.height = std::abs(h);
    p.bits = static_cast<int>(Le(&d[14], 2));
    p.compression = static_cast<int>(Le(&d[16], 4));
    std::uint32_t used = Le(&d[32], 4);
    if (p.bits != 8) return p;
    if (used == 0) used = 256;
    std::size_t headerSize = Le(&d[0], 4);
    for (std::uint32_t i = 0; i < used; ++i) {
        const std::uint8_t* q = &d[headerSize + 4 * i];
        p.palette.push_back({q[2], q[1], q[0]});
    }
    std::size_t stride = (static_cast<std::size_t>(p.width) + 3) & ~static_cast<std::size_t>(3);
    std::size_t at = headerSize + 4 * used;
    if (at + stride * static_cast<std::size_t>(p.height) > d.size()) return p;
    p.index.resize(static_cast<std::size_t>(p.width * p.height));
    for (int y = 0; y < p.height; ++y) {
        int row = h > 0 ? p.height - 1 - y : y;
        std::memcpy(&p.index[static_cast<std::size_t>(y * p.width)], &d[at + stride * static_cast<std::size_t>(row)],
                    static_cast<std::size_t>(p.width));
    }
    return p;
}

struct PictureCase {
    int id, width, height;
    bool keyed;        // drawn with the colour of its top-left pixel as transparent
    bool blackGround;  // ground is black
    bool greenGround;  // ground is red 24, green 255, blue 0
};
const PictureCase kPictures[] = {
    {109, 800, 600, false, false, false}, {110, 500, 400, true, false, false}, {111, 90, 100, true, false, false},
    {113, 600, 200, true, false, false},  {115, 100, 100, true, false, false}, {121, 800, 35, true, false, true},
    {125, 800, 600, true, true, false},   {130, 150, 35, true, false, false},  {131, 330, 35, true, false, true},
    {133, 80, 92, true, false, false},    {134, 310, 220, true, true, false},  {135, 597, 243, true, false, false},
    {151, 800, 600, false, false, false},
};

TEST(GameAssets, PicturesHaveTheirSizesAndKeepTheKeyColourForGround) {
    for (const PictureCase& c : kPictures) {
        SCOPED_TRACE("bitmap " + std::to_string(c.id));
        Picture p = LoadPicture(c.id);
        ASSERT_EQ(p.bits, 8);
        EXPECT_EQ(p.compression, 0);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
        ASSERT_EQ(p.index.size(), static_cast<std::size_t>(c.width * c.height));
        Colour ground = p.ColourAt(0, 0);
        if (c.blackGround) {
            EXPECT_EQ(To565(ground), 0) << "black ground";
        }
        if (c.greenGround) {
            EXPECT_EQ(ground.r, 24);
            EXPECT_EQ(ground.g, 255);
            EXPECT_EQ(ground.b, 0);
        }
        if (!c.keyed) continue;
        // On a 16-bit surface every pixel whose RGB565 value equals the
        // top-left pixel's turns transparent: only ground may do so.
        std::uint8_t groundIndex = p.At(0, 0);
        std::set<std::uint8_t> used(p.index.begin(), p.index.end());
        for (std::uint8_t i : used) {
            if (i == groundIndex) continue;
            EXPECT_NE(To565(p.palette[i]), To565(ground)) << "palette entry " << int(i) << " would turn transparent";
        }
    }
}

TEST(GameAssets, SheetsHaveSomethingInEveryFrameAndAtTheHotSpots) {
    Picture wanderer = LoadPicture(110);
    ASSERT_EQ(wanderer.width, 500);
    for (int f = 0; f < 20; ++f) {
        int l = f % 5 * 100, t = f / 5 * 100;
        EXPECT_GT(wanderer.InkIn(l, t, l + 100, t + 100), 2000) << "frame " << f;
        EXPECT_FALSE(wanderer.IsGround(l + 47, t + 61)) << "hot-spot of frame " << f;
    }
    Picture spectre = LoadPicture(113);
    ASSERT_EQ(spectre.width, 600);
    int previous = -1;
    for (int f = 0; f < 12; ++f) {
        int l = f % 6 * 100, t = f / 6 * 100;
        int ink = spectre.InkIn(l, t, l + 100, t + 100);
        EXPECT_GT(ink, 0) << "frame " << f;
        if (f >= 1) {
            EXPECT_GE(ink, previous * 9 / 10) << "the figure fills in, frame " << f;
        }
        previous = ink;
    }
    EXPECT_LT(spectre.InkIn(0, 0, 100, 100), 600) << "frame 0 is a small sparkle";
    EXPECT_GT(spectre.InkIn(500, 100, 600, 200), 3000) << "frame 11 is whole";
    EXPECT_FALSE(spectre.IsGround(550, 150));

    Picture drinks = LoadPicture(111);
    ASSERT_EQ(drinks.width, 90);
    EXPECT_GT(drinks.InkIn(0, 0, 50, 100), 800);
    EXPECT_GT(drinks.InkIn(50, 0, 90, 50), 500);
    EXPECT_GT(drinks.InkIn(50, 50, 90, 100), 500);
    EXPECT_FALSE(drinks.IsGround(25, 66));
    EXPECT_FALSE(drinks.IsGround(70, 25));
    EXPECT_FALSE(drinks.IsGround(70, 75));

    Picture cursor = LoadPicture(115);
    ASSERT_EQ(cursor.width, 100);
    EXPECT_FALSE(cursor.IsGround(50, 76)) << "the head reaches down to its hot-spot";
    EXPECT_FALSE(cursor.IsGround(50, 50));

    Picture box = LoadPicture(133);
    ASSERT_EQ(box.width, 80);
    EXPECT_FALSE(box.IsGround(35, 60));
    // The box of the Wanderer's sheet is the same picture, placed so that the
    // two hot-spots meet: (35, 60) of the box at (47, 61) of frame 10.
    int same = 0, total = 0;
    for (int y = 0; y < 92; ++y)
        for (int x = 0; x < 80; ++x) {
            int sx = x + 12, sy = 200 + y + 1;
            if (sx >= 100 || sy >= 300) continue;
            ++total;
            Colour a = box.ColourAt(x, y), b = wanderer.ColourAt(sx, sy);
            if (box.IsGround(x, y) == wanderer.IsGround(sx, sy) &&
                (box.IsGround(x, y) || (std::abs(a.r - b.r) < 24 && std::abs(a.g - b.g) < 24 && std::abs(a.b - b.b) < 24)))
                ++same;
        }
    EXPECT_GT(same, total * 95 / 100);
}

TEST(GameAssets, DigitFontHasElevenGlyphsAndABlankOne) {
    Picture digits = LoadPicture(131);
    ASSERT_EQ(digits.width, 330);
    for (int g = 0; g < 10; ++g) EXPECT_GT(digits.InkIn(g * 30, 0, g * 30 + 30, 35), 60) << "digit " << g;
    EXPECT_EQ(digits.InkIn(300, 0, 330, 35), 0) << "blank glyph";
    // Every glyph starts with ground at its top-left, since a counter keys
    // on the first glyph it draws.
    for (int g = 0; g < 11; ++g) EXPECT_TRUE(digits.IsGround(g * 30, 0));

    Picture bar = LoadPicture(121);
    ASSERT_EQ(bar.width, 800);
    EXPECT_GT(bar.InkIn(0, 0, 155, 35), 200) << "round caption";
    EXPECT_GT(bar.InkIn(215, 0, 390, 35), 200) << "score caption";
    EXPECT_GT(bar.InkIn(540, 0, 725, 35), 200) << "drinks caption";
    EXPECT_EQ(bar.InkIn(155, 0, 215, 35), 0) << "round field";
    EXPECT_EQ(bar.InkIn(390, 0, 540, 35), 0) << "score field";
    EXPECT_EQ(bar.InkIn(725, 0, 785, 35), 0) << "drinks field";
}

TEST(GameAssets, LetterFontGlyphsLieInTheirBoxes) {
    static const int kEdges[28] = {0,   35,  62,  94,  134, 165, 198, 230, 265, 14,  37,  68,  87,  142,
                                   177, 211, 243, 44,  79,  105, 133, 167, 202, 257, 296, 35,  70,  100};
    Picture letters = LoadPicture(134);
    ASSERT_EQ(letters.width, 310);
    std::vector<bool> inBox(310 * 220, false);
    for (int g = 0; g < 27; ++g) {
        int left = kEdges[g], right = kEdges[g + 1];
        if (right - left < 0) left = 0;
        int top = g / 8 * 55;
        for (int y = top; y < top + 55; ++y)
            for (int x = left; x < right; ++x) inBox[static_cast<std::size_t>(y * 310 + x)] = true;
        int ink = letters.InkIn(left, top, right, top + 55);
        if (g == 26) {
            EXPECT_EQ(ink, 0) << "blank glyph";
            for (int y = top; y < top + 55; ++y)
                for (int x = left; x < right; ++x) ASSERT_EQ(To565(letters.ColourAt(x, y)), 0) << x << "," << y;
        } else {
            EXPECT_GT(ink, 40) << "glyph " << char('a' + g);
        }
    }
    int stray = 0;
    for (int y = 0; y < 220; ++y)
        for (int x = 0; x < 310; ++x)
            if (!inBox[static_cast<std::size_t>(y * 310 + x)] && !letters.IsGround(x, y)) ++stray;
    EXPECT_EQ(stray, 0) << "ink outside every glyph box";
}

TEST(GameAssets, TitleAndGameOverLeaveRoomForWhatIsDrawnOverThem) {
    Picture title = LoadPicture(125);
    ASSERT_EQ(title.width, 800);
    EXPECT_EQ(title.InkIn(50, 400, 750, 500), 0) << "the scroll box shows the starfield";
    EXPECT_GT(title.InkIn(40, 380, 760, 400) + title.InkIn(40, 500, 760, 520), 5000) << "a frame around it";
    EXPECT_GT(title.InkIn(100, 20, 700, 180), 20000) << "the title";

    Picture panel = LoadPicture(135);
    ASSERT_EQ(panel.width, 597);
    // The name line at screen (132, 356), the panel at (100, 175): a plain
    // inside, one colour, so typed letters read cleanly.
    std::set<std::uint8_t> inside;
    for (int y = 181 + 3; y < 236 - 3; ++y)
        for (int x = 32 + 3; x < 562 - 3; ++x) inside.insert(panel.At(x, y));
    EXPECT_LE(inside.size(), 40u);
    EXPECT_FALSE(panel.IsGround(40, 200));
}

struct SoundCase {
    int id;
    double seconds;
};
const SoundCase kSounds[] = {{140, 0.56}, {141, 0.66}, {142, 0.47}, {143, 0.43}, {144, 0.65}, {145, 0.57},
                             {146, 2.00}, {147, 1.73}, {148, 2.07}, {149, 4.23}, {150, 1.84}};

// The samples of a PCM 22050 Hz 16-bit mono RIFF WAVE with a 16-byte "fmt "
// chunk straight followed by "data"; empty when the layout differs.
std::vector<std::int16_t> Samples(const std::vector<std::uint8_t>& w) {
    if (w.size() < 44 || std::memcmp(&w[0], "RIFF", 4) || std::memcmp(&w[8], "WAVEfmt ", 8)) return {};
    if (Le(&w[4], 4) != w.size() - 8 || Le(&w[16], 4) != 16 || Le(&w[20], 2) != 1 || Le(&w[22], 2) != 1 ||
        Le(&w[24], 4) != 22050 || Le(&w[28], 4) != 44100 || Le(&w[32], 2) != 2 || Le(&w[34], 2) != 16 ||
        std::memcmp(&w[36], "data", 4) || Le(&w[40], 4) != w.size() - 44)
        return {};
    std::vector<std::int16_t> s((w.size() - 44) / 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::int16_t>(Le(&w[44 + 2 * i], 2));
    return s;
}

int Peak(const std::vector<std::int16_t>& s) {
    int m = 0;
    for (std::int16_t v : s) m = std::max(m, std::abs(static_cast<int>(v)));
    return m;
}

// A loop wraps from the last sample to the first: the step across the seam
// must be no larger than the steps the sound takes anyway.
void ExpectSeamless(const std::vector<std::int16_t>& s) {
    ASSERT_GT(s.size(), 1000u);
    std::vector<int> steps;
    for (std::size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(s[i] - s[i - 1]));
    std::sort(steps.begin(), steps.end());
    int typical = steps[steps.size() * 99 / 100];
    EXPECT_LE(std::abs(s.front() - s.back()), typical);
}

TEST(GameAssets, SoundsArePcmMonoOfTheirLengths) {
    for (const SoundCase& c : kSounds) {
        SCOPED_TRACE("wave " + std::to_string(c.id));
        std::vector<std::int16_t> s = Samples(Resource(c.id, "WAVE"));
        ASSERT_FALSE(s.empty()) << "RIFF WAVE, PCM 22050 Hz 16-bit mono, fmt then data";
        double seconds = static_cast<double>(s.size()) / 22050.0;
        EXPECT_NEAR(seconds, c.seconds, c.seconds * 0.1);
        EXPECT_GT(Peak(s), 4000) << "audible";
    }
    ExpectSeamless(Samples(Resource(149, "WAVE")));
}

std::vector<std::uint8_t> ShippedFile(const char* name) {
    std::ifstream in(std::string(GAME_RESOURCES_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GameAssets, MusicLoopsForHalfAMinute) {
    std::vector<std::int16_t> s = Samples(ShippedFile("music.zk"));
    ASSERT_FALSE(s.empty()) << "RIFF WAVE, PCM 22050 Hz 16-bit mono, fmt then data";
    EXPECT_GE(s.size(), 30u * 22050u);
    EXPECT_GT(Peak(s), 4000);
    ExpectSeamless(s);
}

TEST(GameAssets, ShippedHiscoreTableIsWellFormed) {
    std::vector<std::uint8_t> table = ShippedFile("hiscores.zk");
    ASSERT_EQ(table.size(), 180u);
    for (std::size_t i = 0; i < 160; ++i) {
        std::uint8_t c = table[i];
        EXPECT_TRUE((c >= 'a' && c <= 'z') || c == ' ') << "byte " << i;
    }
    int previous = 65536;
    for (int i = 0; i < 10; ++i) {
        int score = static_cast<int>(Le(&table[160 + 2 * static_cast<std::size_t>(i)], 2));
        EXPECT_LT(score, previous) << "entry " << i;
        EXPECT_NE(table[static_cast<std::size_t>(16 * i)], ' ') << "entry " << i << " has a name";
        previous = score;
    }
    EXPECT_LE(previous, 100) << "a first game can enter the table";
}

TEST(GameAssets, TitleStringAndIcon) {
    char title[32];
    EXPECT_EQ(LoadStringA(nullptr, 1, title, sizeof title), 6);
    EXPECT_STREQ(title, "Zarnok");

    std::vector<std::uint8_t> group = Resource(101, RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    std::set<int> sizes;
    for (std::uint32_t i = 0; i < Le(&group[4], 2); ++i) {
        const std::uint8_t* e = &group[6 + 14 * i];
        sizes.insert(e[0]);
        EXPECT_EQ(e[0], e[1]);
        EXPECT_EQ(e[2], 16) << "16 colours";
        EXPECT_EQ(Le(e + 6, 2), 4u) << "4 bits a pixel";
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101));
    ASSERT_NE(icon, nullptr);
    for (int size : {16, 32}) {
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(seam::DecodeIcon(icon, size, pixels, w, h));
        EXPECT_EQ(w, size);
        int opaque = static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0; }));
        EXPECT_GT(opaque, size * size / 3);
        EXPECT_LT(opaque, size * size) << "a shaped icon, not a square";
    }
}

// On Windows the same script goes through windres: every resource it makes
// must be what the layer serves here, byte for byte.
TEST(GameAssets, WindresMakesTheSameResources) {
    std::string windres = WINDRES;
    if (windres.empty()) GTEST_SKIP() << "no windres on this machine";
    std::vector<ResEntry> entries = CompileWithWindres(windres, GAME_RESOURCES_DIR, "zarnok.rc");
    // 13 bitmaps, 11 waves, 1 string block, 1 icon group with 2 images.
    ASSERT_EQ(entries.size(), 28u);
    for (const ResEntry& e : entries) {
        SCOPED_TRACE(e.Describe());
        HRSRC found = FindResourceA(nullptr, e.Name(), e.Type());
        ASSERT_NE(found, nullptr);
        const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
        EXPECT_EQ(std::vector<std::uint8_t>(data, data + SizeofResource(nullptr, found)), e.data);
    }
}

}  // namespace

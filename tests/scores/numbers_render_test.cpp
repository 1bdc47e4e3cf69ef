// Counters and the status bar read back through Lock and compared with the
// digit font and panel pictures themselves.
#include <gtest/gtest.h>

#include <string>

#include "scores/digit_counter.h"
#include "scores/score_panel.h"
#include "shell/globals.h"
#include "surface_readback.h"

using scores_test::Image;
using scores_test::ReadBack;

namespace {

constexpr int kGlyphWidth = 30;
constexpr int kGlyphHeight = 35;

class NumbersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scores_test::StartDisplay());
        font = ReadBack(DigitCounter::font);
        ASSERT_EQ(font.width, 330);
        ASSERT_EQ(font.height, 35);
    }

    ::testing::AssertionResult Shows(const Image& image, int x, int y, const std::string& glyphs) const {
        return scores_test::ShowsDigits(image, x, y, glyphs);
    }

    Image font;
};

TEST_F(NumbersTest, FontGlyphsDifferFromEachOther) {
    // The comparisons below mean something only if no two glyphs look alike.
    for (int a = 0; a < 11; ++a)
        for (int b = a + 1; b < 11; ++b)
            EXPECT_FALSE(font.SameBlock(a * kGlyphWidth, 0, font, b * kGlyphWidth, 0, kGlyphWidth, kGlyphHeight))
                << a << " and " << b;
}

TEST_F(NumbersTest, CounterShowsEachValueLeftAligned) {
    struct Case {
        int places;
        std::vector<int> values;  // applied in turn; the last one is checked
        const char* shown;
    };
    const Case cases[] = {
        {5, {0}, "0____"},          {5, {42}, "42___"},         {5, {10305}, "10305"},
        {5, {0, 100}, "100__"},     {5, {0, 100, 99}, "99___"}, {5, {0, -7}, "0____"},
        {2, {123}, "23"},           {2, {123, 105}, "5_"},      {5, {65535, 70000}, "70000"},
        {1, {9}, "9"},
    };
    for (const Case& c : cases) {
        DigitCounter counter(10, 20, c.places, c.values.front());
        for (std::size_t i = 1; i < c.values.size(); ++i) counter.SetValue(c.values[i]);
        EXPECT_EQ(counter.width, kGlyphWidth * c.places);
        EXPECT_EQ(counter.height, kGlyphHeight);
        const Image image = ReadBack(counter.surface);
        ASSERT_EQ(image.width, kGlyphWidth * c.places);
        EXPECT_TRUE(Shows(image, 0, 0, c.shown)) << "last value " << c.values.back();
    }
}

TEST_F(NumbersTest, KeyedCounterShowsOnlyTheDigitShapes) {
    const std::uint32_t green = font.At(0, 0);
    DigitCounter counter(40, 10, 3, 7);
    IDirectDrawSurface7* target = scores_test::MakeTarget(200, 60);
    ASSERT_NE(target, nullptr);
    const std::uint32_t ground = green ^ 0x1F;  // any colour but the key
    scores_test::Fill(target, ground);
    ASSERT_EQ(counter.Draw(target, true), DD_OK);
    const Image drawn = ReadBack(target);
    int digitPixels = 0;
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) {
            const std::uint32_t pixel = drawn.At(x, y);
            EXPECT_NE(pixel, green) << x << "," << y;
            const bool inside = x >= 40 && x < 40 + 90 && y >= 10 && y < 10 + kGlyphHeight;
            if (!inside) {
                EXPECT_EQ(pixel, ground) << x << "," << y;
                continue;
            }
            // Inside, each pixel is the glyph's own unless the glyph is ground there.
            const int place = (x - 40) / kGlyphWidth;
            const int glyph = place == 0 ? 7 : 10;
            const std::uint32_t source = font.At(glyph * kGlyphWidth + (x - 40) % kGlyphWidth, y - 10);
            EXPECT_EQ(pixel, source == green ? ground : source) << x << "," << y;
            digitPixels += source != green;
        }
    EXPECT_GT(digitPixels, 0);
    target->Release();
}

class PanelTest : public NumbersTest {
protected:
    void SetUp() override {
        NumbersTest::SetUp();
        picture = ReadBack(ScorePanel::picture);
        ASSERT_EQ(picture.width, 800);
        ASSERT_EQ(picture.height, 35);
    }

    // The panel shows the picture everywhere but its three fields, and the
    // fields show these glyphs.
    void ExpectPanel(const ScorePanel& panel, const char* round, const char* score, const char* drinks) {
        const Image image = ReadBack(panel.surface);
        ASSERT_EQ(image.width, 800);
        EXPECT_TRUE(Shows(image, 155, 0, round));
        EXPECT_TRUE(Shows(image, 390, 0, score));
        EXPECT_TRUE(Shows(image, 725, 0, drinks));
        const int outside[][2] = {{0, 155}, {215, 390}, {540, 725}, {785, 800}};
        for (const auto& span : outside)
            EXPECT_TRUE(image.SameBlock(span[0], 0, picture, span[0], 0, span[1] - span[0], 35))
                << "picture changed between " << span[0] << " and " << span[1];
    }

    Image picture;
};

TEST_F(PanelTest, NewPanelShowsZeros) {
    ScorePanel panel(0, 20);
    EXPECT_EQ(panel.x, 0);
    EXPECT_EQ(panel.y, 20);
    ExpectPanel(panel, "0_", "0____", "0_");
}

TEST_F(PanelTest, OnlyTheGivenFieldsChange) {
    ScorePanel panel(0, 20);
    panel.SetValues(12, 99999, 3);
    ExpectPanel(panel, "12", "99999", "3_");
    panel.SetValues(-1, 250, -1);
    ExpectPanel(panel, "12", "250__", "3_");
    panel.SetValues(-1, -1, 25);
    ExpectPanel(panel, "12", "250__", "25");
    panel.SetValues(7, -1, -1);
    ExpectPanel(panel, "7_", "250__", "25");
}

TEST_F(PanelTest, KeyedPanelShowsNoGround) {
    ScorePanel panel(0, 20);
    panel.SetValues(3, 1234, 5);
    const std::uint32_t key = picture.At(0, 0);
    IDirectDrawSurface7* target = scores_test::MakeTarget(800, 100);
    ASSERT_NE(target, nullptr);
    const std::uint32_t ground = key ^ 0x1F;
    scores_test::Fill(target, ground);
    ASSERT_EQ(panel.Draw(target, true), DD_OK);
    const Image drawn = ReadBack(target);
    const Image own = ReadBack(panel.surface);
    int shown = 0;
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) {
            EXPECT_NE(drawn.At(x, y), key) << x << "," << y;
            if (y < 20 || y >= 55) continue;
            const std::uint32_t source = own.At(x, y - 20);
            EXPECT_EQ(drawn.At(x, y), source == key ? ground : source) << x << "," << y;
            shown += source != key;
        }
    EXPECT_GT(shown, 0);
    target->Release();
}

}  // namespace

// Text lines and the name entry read back through Lock and compared with the
// letter font itself.
#include <gtest/gtest.h>

#include <string>

#include "scores/name_entry.h"
#include "surface_readback.h"

using scores_test::Image;
using scores_test::ReadBack;

namespace {

constexpr int kLineHeight = 55;

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scores_test::StartDisplay());
        font = ReadBack(TextLine::font);
        ASSERT_EQ(font.width, 310);
        ASSERT_EQ(font.height, 220);
        blank = font.At(70, 165);
        ASSERT_TRUE(font.Uniform(70, 165, 30, 55, blank)) << "the blank glyph is one colour";
    }

    ::testing::AssertionResult Shows(const TextLine& line, const std::string& text) const {
        return scores_test::ShowsText(line, text);
    }

    Image font;
    std::uint32_t blank = 0;
};

TEST_F(TextTest, NewLineIsBlankAndKeyedShowsNothing) {
    TextLine line(20, 30, 530);
    EXPECT_EQ(line.width, 530);
    EXPECT_EQ(line.height, kLineHeight);
    EXPECT_TRUE(Shows(line, ""));
    IDirectDrawSurface7* target = scores_test::MakeTarget(600, 100);
    ASSERT_NE(target, nullptr);
    scores_test::Fill(target, blank ^ 0x1F);
    ASSERT_EQ(line.Draw(target, true), DD_OK);
    EXPECT_TRUE(ReadBack(target).Uniform(0, 0, 600, 100, blank ^ 0x1F));
    target->Release();
}

TEST_F(TextTest, TextIsCutAtTheLastWholeGlyph) {
    struct Case {
        int width;
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {530, "mmmmmmmmmm", "mmmmmmmmm"},  // 495 pixels; a tenth m would need 550
        {530, "mmmmmmmmmi", "mmmmmmmmmi"},  // 509: the i still fits
        {110, "mmx", "mm"},                 // exactly full: no room for a blank
        {30, "mi", ""},                     // the first glyph already too wide
        {530, "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnop"},  // 508; q would need 552
        {530, "pqrstuvwxyz", "pqrstuvwxyz"},
    };
    for (const Case& c : cases) {
        TextLine line(0, 0, c.width);
        line.SetText(c.text);
        EXPECT_TRUE(Shows(line, c.shown)) << c.text << " on " << c.width;
    }
}

TEST_F(TextTest, EverythingButLowerCaseLettersIsBlank) {
    TextLine line(0, 0, 530);
    line.SetText("aB9 {z.\xE9q");
    // Each of B, 9, space, '{', '.', and the accented letter takes the 30-pixel blank.
    EXPECT_TRUE(Shows(line, "a____z__q"));
}

TEST_F(TextTest, ShorterTextWipesTheOldLetters) {
    TextLine line(0, 0, 530);
    line.SetText("wwwwwwwww");
    line.SetText("ab");
    EXPECT_TRUE(Shows(line, "ab"));
    line.SetText("");
    EXPECT_TRUE(Shows(line, ""));
}

TEST_F(TextTest, NameEntryKeys) {
    // Virtual-key codes: 8 Backspace, 13 Enter, 32 Space, 65-90 A-Z,
    // 48-57 digits, 96-111 the numeric keypad, 16 Shift, 20 Caps Lock.
    struct Case {
        std::vector<int> keys;
        const char* name;
        bool finishedByLast;
    };
    std::vector<int> seventeen(17, 'Q');
    std::vector<int> fullThenMore(16, 'A');
    for (int k : {'B', ' '}) fullThenMore.push_back(k);
    std::vector<int> fullThenBack = fullThenMore;
    fullThenBack.push_back(8);
    std::vector<int> fullThenEnter = fullThenMore;
    fullThenEnter.push_back(13);
    const Case cases[] = {
        {{8}, "", false},
        {{13}, "", true},
        {{'H', 'I', ' ', 'Y', 'O'}, "hi yo", false},
        {{'A', 'B', 8}, "a", false},
        {{'A', 8, 8, 8, 'C'}, "c", false},
        {{'A', '0', '5', '9', 96, 105, 106, 111, 'Z'}, "az", false},
        {{16, 20, 'K', 190, 0xBA, 0xDE, 27, 9, 46}, "k", false},
        {{'Z', 13}, "z", true},
        {seventeen, "qqqqqqqqqqqqqqqq", false},
        {fullThenMore, "aaaaaaaaaaaaaaaa", false},
        {fullThenBack, "aaaaaaaaaaaaaaa", false},
        {fullThenEnter, "aaaaaaaaaaaaaaaa", true},
    };
    for (const Case& c : cases) {
        // Wide enough for 16 letters, so that the drawing shows the whole name.
        NameEntry entry(132, 356, 800);
        bool finished = false;
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            finished = entry.OnKey(c.keys[i]);
            if (i + 1 < c.keys.size()) {
                EXPECT_FALSE(finished) << "key " << i;
            }
        }
        EXPECT_EQ(finished, c.finishedByLast) << c.name;
        EXPECT_STREQ(entry.Name(), c.name);
        EXPECT_EQ(entry.length, static_cast<int>(std::string(c.name).size()));
        EXPECT_TRUE(Shows(entry, c.name)) << c.name;
    }
}

}  // namespace

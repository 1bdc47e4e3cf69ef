// Drawing of the play objects on real surfaces of the game's display mode,
// read back pixel by pixel, and the frame-counted timers that drawing runs.
#include <gtest/gtest.h>

#include "directx_world.h"
#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/drink.h"
#include "objects/game_random.h"
#include "objects/spectre.h"
#include "objects/sprite.h"
#include "objects/wanderer.h"
#include "shell/globals.h"
#include "seam/video.h"
#include "shell/resource_ids.h"
#include "sound_buffers.h"
#include "surface_helpers.h"

namespace {

constexpr std::uint16_t kBackground = 0x39E7;  // a dark grey
constexpr std::uint16_t kKey = 0xF81F;         // magenta at 5-6-5

RECT Frame(int column, int row) {
    return {100 * column, 100 * row, 100 * (column + 1), 100 * (row + 1)};
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A 4 x 3 picture whose top-left colour is the key and which uses the key
// colour once more inside, so keyed and opaque copies differ.
IDirectDrawSurface7* MakeSmallPicture() {
    IDirectDrawSurface7* picture = MakeOffscreenSurface(directDraw, 4, 3);
    if (picture == nullptr) {
        return nullptr;
    }
    const std::uint16_t pixels[3][4] = {
        {kKey, 0x1111, 0x2222, 0x3333},
        {0x4444, kKey, 0x5555, 0x6666},
        {0x7777, 0x8888, 0x9999, 0xAAAA},
    };
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            WritePixel(picture, x, y, pixels[y][x]);
        }
    }
    SetSrcColourKey(picture, 0, 0);
    return picture;
}

class SpriteDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_WORLD();
        picture = MakeSmallPicture();
        canvas = MakeOffscreenSurface(directDraw, 16, 16);
        ASSERT_NE(picture, nullptr);
        ASSERT_NE(canvas, nullptr);
        Fill(canvas, kBackground);
    }
    void TearDown() override {
        if (picture != nullptr) {
            picture->Release();
        }
        if (canvas != nullptr) {
            canvas->Release();
        }
    }
    IDirectDrawSurface7* picture = nullptr;
    IDirectDrawSurface7* canvas = nullptr;
};

TEST_F(SpriteDrawTest, NullSourceDrawsWholeSurfaceWithHotSpotOnPosition) {
    Sprite sprite(5, 6, 1, 2, nullptr, picture);
    ASSERT_EQ(sprite.Draw(canvas, true), DD_OK);
    EXPECT_TRUE(Blitted(canvas, 4, 4, picture, {0, 0, 4, 3}, true, kBackground));
    EXPECT_TRUE(Untouched(canvas, {0, 0, 16, 4}, kBackground));
    EXPECT_TRUE(Untouched(canvas, {8, 0, 16, 16}, kBackground));
    EXPECT_TRUE(Untouched(canvas, {0, 7, 16, 16}, kBackground));
}

TEST_F(SpriteDrawTest, UnkeyedDrawCopiesKeyColourToo) {
    Sprite sprite(0, 0, 0, 0, nullptr, picture);
    ASSERT_EQ(sprite.Draw(canvas, false), DD_OK);
    EXPECT_TRUE(Blitted(canvas, 0, 0, picture, {0, 0, 4, 3}, false, kBackground));
    EXPECT_EQ(ReadPixel(canvas, 1, 1), kKey);
    Fill(canvas, kBackground);
    ASSERT_EQ(sprite.Draw(canvas, true), DD_OK);
    EXPECT_EQ(ReadPixel(canvas, 1, 1), kBackground);
    EXPECT_EQ(ReadPixel(canvas, 2, 1), 0x5555);
}

TEST_F(SpriteDrawTest, SourceRectangleChoosesPart) {
    RECT part = {1, 1, 3, 3};
    Sprite sprite(10, 10, 0, 0, &part, picture);
    ASSERT_EQ(sprite.Draw(canvas, true), DD_OK);
    EXPECT_TRUE(Blitted(canvas, 10, 10, picture, part, true, kBackground));
    EXPECT_TRUE(Untouched(canvas, {0, 0, 16, 10}, kBackground));
    EXPECT_TRUE(Untouched(canvas, {12, 0, 16, 16}, kBackground));
}

TEST_F(SpriteDrawTest, DrawSizedIgnoresHotSpot) {
    Sprite sprite(3, 2, 7, 7, nullptr, picture);
    sprite.width = 4;
    sprite.height = 3;
    ASSERT_EQ(sprite.DrawSized(canvas, true), DD_OK);
    EXPECT_TRUE(Blitted(canvas, 3, 2, picture, {0, 0, 4, 3}, true, kBackground));
    Fill(canvas, kBackground);
    ASSERT_EQ(sprite.DrawSized(canvas, false), DD_OK);
    EXPECT_TRUE(Blitted(canvas, 3, 2, picture, {0, 0, 4, 3}, false, kBackground));
}

TEST_F(SpriteDrawTest, FailedBlitIsReportedNotHidden) {
    // Off the right edge: BltFast cannot clip, and the caller has to hear so.
    Sprite sprite(14, 0, 0, 0, nullptr, picture);
    EXPECT_NE(sprite.Draw(canvas, true), DD_OK);
    EXPECT_TRUE(Untouched(canvas, {0, 0, 16, 16}, kBackground));
}

// ---------------------------------------------------------------------------

class PlayfieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_WORLD();
        back = World().backBuffer;
        Fill(back, kBackground);
        SetGameRandomState(1);
        for (IDirectSoundBuffer* sound : Wanderer::sounds) {
            sound->Stop();
            sound->SetCurrentPosition(0);
        }
    }
    IDirectDrawSurface7* back = nullptr;
};

using DrinkTest = PlayfieldTest;

TEST_F(DrinkTest, KindsShareTheirRectangleAndHotSpot) {
    // Kinds from the run's first draws scaled to 3: 41 -> 0, 18467 -> 1
    // (1.69), 6334 -> 0 (0.58), 26500 -> 2 (2.43).
    Drink first(51, 81);
    Drink second(51, 81);
    Drink third(51, 81);
    Drink fourth(51, 81);
    EXPECT_EQ(first.kind, Bottle);
    EXPECT_EQ(second.kind, Tumbler);
    EXPECT_EQ(third.kind, Bottle);
    EXPECT_EQ(fourth.kind, Pint);
    EXPECT_EQ(first.srcRect, third.srcRect) << "one rectangle per kind";
    EXPECT_TRUE(SameRect(*first.srcRect, {0, 0, 50, 100}));
    EXPECT_TRUE(SameRect(*second.srcRect, {50, 0, 90, 50}));
    EXPECT_TRUE(SameRect(*fourth.srcRect, {50, 50, 90, 100}));
    EXPECT_EQ(first.surface, Drink::sheet);

    // Dropped at the cursor's top-left limit (51, 81): the bottle's hot-spot
    // (25, 66) puts its corner at (26, 15); the glasses' (20, 25) at (31, 56).
    ASSERT_EQ(first.Draw(back, true), DD_OK);
    EXPECT_TRUE(Blitted(back, 26, 15, Drink::sheet, {0, 0, 50, 100}, true, kBackground));
    Fill(back, kBackground);
    ASSERT_EQ(second.Draw(back, true), DD_OK);
    EXPECT_TRUE(Blitted(back, 31, 56, Drink::sheet, {50, 0, 90, 50}, true, kBackground));
    Fill(back, kBackground);
    ASSERT_EQ(fourth.Draw(back, true), DD_OK);
    EXPECT_TRUE(Blitted(back, 31, 56, Drink::sheet, {50, 50, 90, 100}, true, kBackground));
}

TEST_F(PlayfieldTest, CursorAndBoxDrawWholeImageAtTheirLimits) {
    CursorFigure cursor(400, 300);
    cursor.Move(-1000, -1000);
    ASSERT_EQ(cursor.Draw(back, true), DD_OK);
    EXPECT_TRUE(Blitted(back, 1, 1, CursorFigure::sheet, {0, 0, 100, 100}, true, kBackground));
    cursor.Move(1000, 1000);
    Fill(back, kBackground);
    ASSERT_EQ(cursor.Draw(back, true), DD_OK);  // spans to x 799, y 570
    EXPECT_TRUE(Blitted(back, 699, 470, CursorFigure::sheet, {0, 0, 100, 100}, true, kBackground));

    Fill(back, kBackground);
    Box box;
    box.x = 754;
    box.y = 567;
    ASSERT_EQ(box.Draw(back, true), DD_OK);  // spans to x 799, y 599
    EXPECT_TRUE(Blitted(back, 719, 507, Box::sheet, {0, 0, 80, 92}, true, kBackground));
    box.x = 36;
    box.y = 61;
    Fill(back, kBackground);
    ASSERT_EQ(box.Draw(back, true), DD_OK);
    EXPECT_TRUE(Blitted(back, 1, 1, Box::sheet, {0, 0, 80, 92}, true, kBackground));
}

// What the player sees of a small scene: the starfield, then keyed sprites in
// the play frame's order, flipped to the screen. The expected picture is put
// together here from the source surfaces themselves.
class ExpectedScreen {
public:
    explicit ExpectedScreen(IDirectDrawSurface7* background) : pixels_(800 * 600) {
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                pixels_[static_cast<std::size_t>(y * 800 + x)] = ReadPixel(background, x, y);
            }
        }
    }
    void Overlay(const Sprite& sprite, const RECT& area) {
        const DWORD key = SourceKey(sprite.surface);
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                const std::uint16_t pixel = ReadPixel(sprite.surface, x, y);
                if (pixel != key) {
                    const int screenX = sprite.x - sprite.hotX + (x - area.left);
                    const int screenY = sprite.y - sprite.hotY + (y - area.top);
                    pixels_[static_cast<std::size_t>(screenY * 800 + screenX)] = pixel;
                }
            }
        }
    }
    const std::vector<std::uint16_t>& Pixels() const { return pixels_; }

private:
    std::vector<std::uint16_t> pixels_;
};

TEST_F(PlayfieldTest, FlippedSceneReachesTheScreenPixelExact) {
    IDirectDrawSurface7* starfield = nullptr;
    ASSERT_TRUE(LoadBitmapToSurface(directDraw, &starfield, res::kStarfieldBitmap));
    ASSERT_EQ(back->BltFast(0, 0, starfield, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
    ExpectedScreen expected(starfield);

    Drink drink(420, 330);  // under the Wanderer's feet
    Wanderer wanderer(400, 300);
    wanderer.state = Roaming;
    CursorFigure cursor(460, 360);
    ASSERT_EQ(drink.Draw(back, true), DD_OK);
    ASSERT_EQ(wanderer.Draw(back), DD_OK);
    ASSERT_EQ(cursor.Draw(back, true), DD_OK);
    expected.Overlay(drink, *drink.srcRect);
    expected.Overlay(wanderer, wanderer.frameRect);
    expected.Overlay(cursor, {0, 0, 100, 100});

    seam::PresentedFrame before;
    seam::ReadPresentedFrame(before);
    ASSERT_EQ(World().primary->Flip(nullptr, 0), DD_OK);
    seam::PresentedFrame frame;
    ASSERT_TRUE(seam::ReadPresentedFrame(frame));
    EXPECT_GT(frame.count, before.count);
    ASSERT_EQ(frame.width, 800);
    ASSERT_EQ(frame.height, 600);
    ASSERT_EQ(frame.pixels.size(), expected.Pixels().size());
    std::size_t differing = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        if (frame.pixels[i] != expected.Pixels()[i] && differing++ == 0) {
            first = i;
        }
    }
    EXPECT_EQ(differing, 0u) << "first at (" << first % 800 << ", " << first / 800 << ")";
    // The sprites were keyed: some of the starfield shows inside the
    // Wanderer's frame, and some of his picture covers it.
    std::size_t starfieldInFrame = 0;
    for (int y = 239; y < 339; ++y) {
        for (int x = 353; x < 453; ++x) {
            starfieldInFrame += frame.pixels[static_cast<std::size_t>(y * 800 + x)] ==
                                ReadPixel(starfield, x, y);
        }
    }
    EXPECT_GT(starfieldInFrame, 0u);
    EXPECT_LT(starfieldInFrame, 10000u);
    starfield->Release();
}

// ---------------------------------------------------------------------------

class WandererDrawTest : public PlayfieldTest {
protected:
    // His image at (400, 300) with hot-spot (47, 61).
    static constexpr RECT kArea = {353, 239, 453, 339};

    bool Shows(Wanderer& w, const RECT& frame) {
        return SameRect(w.frameRect, frame) &&
               Blitted(back, kArea.left, kArea.top, Wanderer::sheet, frame, true, kBackground);
    }
};

TEST_F(WandererDrawTest, BlinksThreeDrawsInSixThenRoams) {
    Wanderer w(400, 300);
    for (int draw = 1; draw <= 50; ++draw) {
        Fill(back, kBackground);
        ASSERT_EQ(w.Draw(back), DD_OK);
        const bool visible = draw % 6 < 3;
        if (visible) {
            EXPECT_TRUE(Shows(w, Frame(2, 0))) << "draw " << draw;  // anger 50: level 2
        } else {
            EXPECT_TRUE(Untouched(back, kArea, kBackground)) << "draw " << draw;
        }
        EXPECT_EQ(w.state, draw < 50 ? Blinking : Roaming) << "draw " << draw;
    }
    EXPECT_EQ(w.ticks, 0);
}

TEST_F(WandererDrawTest, FaceLevelFollowsAnger) {
    struct Case {
        float anger;
        int level;
    };
    const Case cases[] = {{0.5f, 0},   {20.0f, 0}, {20.05f, 1}, {39.99f, 1}, {40.05f, 2},
                          {79.9f, 3},  {80.05f, 4}, {100.0f, 4}, {150.0f, 4}};
    for (const Case& c : cases) {
        Wanderer w(400, 300);
        w.state = Roaming;
        w.anger = c.anger;
        Fill(back, kBackground);
        ASSERT_EQ(w.Draw(back), DD_OK);
        EXPECT_TRUE(Shows(w, Frame(c.level, 0))) << "anger " << c.anger;
    }
}

TEST_F(WandererDrawTest, TalksWhileHisSoundPlays) {
    Wanderer w(400, 300);
    w.state = Roaming;
    w.anger = 70.0f;
    w.PlaySound(Wanderer::kRageSlot);  // two seconds long
    ASSERT_EQ(w.Draw(back), DD_OK);
    EXPECT_TRUE(Shows(w, Frame(3, 1)));
    Wanderer::sounds[Wanderer::kRageSlot]->Stop();
    Fill(back, kBackground);
    ASSERT_EQ(w.Draw(back), DD_OK);
    EXPECT_TRUE(Shows(w, Frame(3, 0)));
    EXPECT_EQ(w.soundSlot, -1) << "a finished sound is forgotten";
}

TEST_F(WandererDrawTest, BoxStayWithAngerLeftEatsTheBox) {
    Wanderer w(400, 300);
    ASSERT_TRUE(w.GoToBed());
    for (int draw = 1; draw <= 100; ++draw) {
        Fill(back, kBackground);
        ASSERT_EQ(w.Draw(back), DD_OK);
        ASSERT_TRUE(SameRect(w.frameRect, Frame(0, 2))) << "draw " << draw;  // frame 10
        ASSERT_EQ(w.state, draw < 100 ? Boxed : EatingBox) << "draw " << draw;
    }
    EXPECT_TRUE(Shows(w, Frame(0, 2)));
    EXPECT_FLOAT_EQ(w.anger, 14.0f);
    EXPECT_EQ(w.soundSlot, Wanderer::kEatBoxSlot);
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kEatBoxSlot]));
    // Frames 11 to 17, three draws each: 11..14 in row 2, 15..17 in row 3.
    for (int eating = 1; eating <= 7; ++eating) {
        const int frame = 10 + eating;
        for (int draw = 0; draw < 3; ++draw) {
            ASSERT_EQ(w.state, eating);
            Fill(back, kBackground);
            ASSERT_EQ(w.Draw(back), DD_OK);
            EXPECT_TRUE(Shows(w, Frame(frame % 5, frame / 5))) << "frame " << frame;
        }
    }
    EXPECT_EQ(w.state, Blinking);
    EXPECT_EQ(w.ticks, 0);
    EXPECT_TRUE(w.Update(0.0, 0.0, 0.0));
}

TEST_F(WandererDrawTest, BoxStayThatCalmsHimPutsHimToSleep) {
    for (float anger : {36.0f, 20.0f}) {
        Wanderer w(400, 300);
        w.anger = anger;
        w.state = Roaming;
        ASSERT_TRUE(w.GoToBed());
        for (int draw = 1; draw <= 100; ++draw) {
            ASSERT_EQ(w.Draw(back), DD_OK);
        }
        EXPECT_EQ(w.state, Asleep) << anger;
        EXPECT_LE(w.anger, 0.0f);
        EXPECT_EQ(w.soundSlot, Wanderer::kFallAsleepSlot);
        EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kFallAsleepSlot]));
        // Frames 18 and 19 alternate every ten draws for a hundred draws.
        for (int draw = 1; draw <= 100; ++draw) {
            ASSERT_TRUE(w.Update(0.0, 0.0, 0.0)) << draw;
            Fill(back, kBackground);
            ASSERT_EQ(w.Draw(back), DD_OK);
            const bool snoring = ((draw - 1) / 10) % 2 == 1;
            ASSERT_TRUE(SameRect(w.frameRect, Frame(snoring ? 4 : 3, 3))) << "draw " << draw;
        }
        EXPECT_EQ(w.state, Slept);
        EXPECT_FALSE(w.Update(0.0, 0.0, 0.0));
    }
}

TEST_F(WandererDrawTest, RoamingToRageToLost) {
    Wanderer w(400, 300);
    for (int draw = 0; draw < 50; ++draw) {
        w.Update(0.0, 0.0, 0.0);
        w.Draw(back);
    }
    ASSERT_EQ(w.state, Roaming);
    EXPECT_FLOAT_EQ(w.anger, 50.0f) << "blinking does not anger him";
    int frames = 0;
    while (w.state == Roaming && frames < 2000) {
        ASSERT_TRUE(w.Update(0.0, 0.0, 0.0));
        ++frames;
        if (w.state == Roaming) {
            ASSERT_EQ(w.Draw(back), DD_OK);
        }
    }
    EXPECT_EQ(frames, 1000);
    EXPECT_EQ(w.state, Raging);
    EXPECT_EQ(w.soundSlot, Wanderer::kRageSlot);
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kRageSlot]));
    EXPECT_FALSE(w.GoToBed());
    EXPECT_FALSE(w.TakeDrink());
    EXPECT_FALSE(w.MeetSpectre());
    EXPECT_FALSE(w.Swear(false));

    for (int draw = 1; draw <= 140; ++draw) {
        if (draw == 70 && w.soundSlot >= 0) {
            // Once his voice stops he swears again at the next draw.
            Wanderer::sounds[w.soundSlot]->Stop();
        }
        ASSERT_TRUE(w.Update(0.0, 0.0, 0.0)) << draw;
        Fill(back, kBackground);
        ASSERT_EQ(w.Draw(back), DD_OK);
        ASSERT_EQ(w.frameRect.left, 400) << "level 4 face, draw " << draw;
        if (draw == 70) {
            EXPECT_GE(w.soundSlot, 1);
            EXPECT_LE(w.soundSlot, 4);
            EXPECT_TRUE(IsPlaying(Wanderer::sounds[w.soundSlot]));
        }
        ASSERT_EQ(w.state, draw < 140 ? Raging : Lost) << draw;
    }
    EXPECT_FALSE(w.Update(0.0, 0.0, 0.0));
}

// ---------------------------------------------------------------------------

using WandererSoundTest = PlayfieldTest;

TEST_F(WandererSoundTest, NewSoundCutsTheOldOneAndRewindsIt) {
    Wanderer w(400, 300);
    IDirectSoundBuffer* rage = Wanderer::sounds[Wanderer::kRageSlot];
    w.PlaySound(Wanderer::kRageSlot);
    ASSERT_TRUE(IsPlaying(rage));
    EXPECT_TRUE(w.IsSoundPlaying());
    w.PlaySound(Wanderer::kTakeDrinkSlot);
    EXPECT_FALSE(IsPlaying(rage));
    DWORD play = 1;
    DWORD write = 1;
    rage->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kTakeDrinkSlot]));
    EXPECT_EQ(w.soundSlot, Wanderer::kTakeDrinkSlot);
}

TEST_F(WandererSoundTest, SwearingTwiceRestartsWithANewRandomSlot) {
    // Scaled to 4: 41 -> 0, 18467 -> 2 (2.25): slots 1 then 3.
    Wanderer w(400, 300);
    ASSERT_TRUE(w.Swear(false));
    EXPECT_EQ(w.soundSlot, 1);
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[1]));
    ASSERT_TRUE(w.Swear(false));
    EXPECT_EQ(w.soundSlot, 3);
    EXPECT_FALSE(IsPlaying(Wanderer::sounds[1]));
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[3]));
}

TEST_F(WandererSoundTest, ResetForgetsButDoesNotStopHisSound) {
    Wanderer w(400, 300);
    w.PlaySound(Wanderer::kRageSlot);
    w.Reset();
    EXPECT_EQ(w.soundSlot, -1);
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kRageSlot]));
    EXPECT_FALSE(w.IsSoundPlaying());
}

TEST_F(WandererSoundTest, OperationSoundsGoToTheirSlots) {
    Wanderer w(400, 300);
    w.state = Roaming;
    ASSERT_TRUE(w.TakeDrink());
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kTakeDrinkSlot]));
    ASSERT_TRUE(w.MeetSpectre());
    EXPECT_TRUE(IsPlaying(Wanderer::sounds[Wanderer::kSpectreSlot]));
    EXPECT_FALSE(IsPlaying(Wanderer::sounds[Wanderer::kTakeDrinkSlot]));
}

TEST_F(WandererSoundTest, LoadingAgainKeepsTheSoundTable) {
    IDirectSoundBuffer* before[Wanderer::kSoundCount];
    std::copy(std::begin(Wanderer::sounds), std::end(Wanderer::sounds), before);
    IDirectDrawSurface7* sheet = Wanderer::sheet;
    ASSERT_TRUE(Wanderer::LoadAssets());
    EXPECT_EQ(Wanderer::sheet, sheet) << "the picture is copied into the same surface";
    for (int slot = 0; slot < Wanderer::kSoundCount; ++slot) {
        EXPECT_EQ(Wanderer::sounds[slot], before[slot]) << slot;
        EXPECT_NE(before[slot], nullptr) << slot;
    }
    EXPECT_EQ(SourceKey(sheet), ReadPixel(sheet, 0, 0)) << "keyed on its top-left pixel";
}

// The bytes a sound buffer holds.
std::vector<unsigned char> SoundBytes(IDirectSoundBuffer* buffer) {
    DSBCAPS caps = {};
    caps.dwSize = sizeof(caps);
    buffer->GetCaps(&caps);
    void* first = nullptr;
    DWORD firstBytes = 0;
    std::vector<unsigned char> bytes;
    if (buffer->Lock(0, caps.dwBufferBytes, &first, &firstBytes, nullptr, nullptr, 0) == DS_OK) {
        bytes.assign(static_cast<unsigned char*>(first), static_cast<unsigned char*>(first) + firstBytes);
        buffer->Unlock(first, firstBytes, nullptr, 0);
    }
    return bytes;
}

TEST_F(WandererSoundTest, EachSlotHoldsItsOwnSound) {
    const int ids[Wanderer::kSoundCount] = {
        res::kTakeDrinkWave, res::kSwearWave1,        res::kSwearWave2,
        res::kSwearWave3,    res::kSwearWave4,        res::kSpectreTouchWave,
        res::kEatBoxWave,    res::kFallAsleepWave,    res::kRageWave,
    };
    for (int slot = 0; slot < Wanderer::kSoundCount; ++slot) {
        IDirectSoundBuffer* reference = LoadWavToBuffer(directSound, ids[slot]);
        ASSERT_NE(reference, nullptr) << ids[slot];
        const std::vector<unsigned char> expected = SoundBytes(reference);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(SoundBytes(Wanderer::sounds[slot]), expected) << "slot " << slot;
        reference->Release();
    }
}

// ---------------------------------------------------------------------------

using SpectreTest = PlayfieldTest;

TEST_F(SpectreTest, BirthFromTheSequenceWithItsSound) {
    // y = 51 + 41 * 498 / 32767 -> 51; x = 51 + 18467 * 698 / 32767 (393.4)
    // -> 444; velX = 1 + 6334 * 5 / 32767 (0.97) -> 1; velY = 1 + 26500 * 5 /
    // 32767 (4.04) -> 5.
    Spectre spectre(5);
    EXPECT_EQ(spectre.y, 51);
    EXPECT_EQ(spectre.x, 444);
    EXPECT_EQ(spectre.velX, 1);
    EXPECT_EQ(spectre.velY, 5);
    EXPECT_EQ(spectre.phase, Appearing);
    EXPECT_EQ(spectre.srcRect, &spectre.frameRect);
    EXPECT_TRUE(SameRect(spectre.frameRect, Frame(0, 0)));
    EXPECT_TRUE(IsPlaying(spectre.sound));
    IDirectSoundBuffer* reference = LoadWavToBuffer(directSound, res::kSpectreAppearWave);
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(SoundBytes(spectre.sound), SoundBytes(reference));
    reference->Release();
    Spectre other(5);
    EXPECT_NE(other.sound, spectre.sound) << "each spectre has its own buffer";
}

TEST_F(SpectreTest, ItsSoundGoesWithIt) {
    IDirectSoundBuffer* sound = nullptr;
    {
        Spectre spectre(3);
        sound = spectre.sound;
        ASSERT_NE(sound, nullptr);
        sound->AddRef();
    }
    EXPECT_EQ(sound->Release(), 0u) << "the spectre released its own reference";
}

TEST_F(SpectreTest, BirthStaysInBounds) {
    for (int i = 0; i < 100; ++i) {
        Spectre spectre(3);
        ASSERT_GE(spectre.x, 51);
        ASSERT_LE(spectre.x, 748);
        ASSERT_GE(spectre.y, 51);
        ASSERT_LE(spectre.y, 548);
        ASSERT_GE(spectre.velX, 1);
        ASSERT_LE(spectre.velX, 3);
        ASSERT_GE(spectre.velY, 1);
        ASSERT_LE(spectre.velY, 3);
    }
}

TEST_F(SpectreTest, AppearsActsAndVanishesFrameByFrame) {
    Spectre spectre(5);
    spectre.x = 400;
    spectre.y = 300;
    const RECT area = {350, 250, 450, 350};
    for (int draw = 1; draw <= 11; ++draw) {
        EXPECT_EQ(spectre.Update(), Appearing) << "still while appearing";
        EXPECT_EQ(spectre.x, 400);
        Fill(back, kBackground);
        ASSERT_EQ(spectre.Draw(back), DD_OK);
        const int shown = draw - 1;
        EXPECT_TRUE(Blitted(back, 350, 250, Spectre::sheet, Frame(shown % 6, shown / 6), true,
                            kBackground))
            << "draw " << draw;
        EXPECT_EQ(spectre.phase, draw < 11 ? Appearing : Active) << "draw " << draw;
    }
    EXPECT_EQ(spectre.Update(), Active);
    EXPECT_EQ(spectre.x, 400 + spectre.velX) << "moves once active";
    spectre.x = 400;
    spectre.y = 300;
    for (int draw = 0; draw < 3; ++draw) {
        Fill(back, kBackground);
        ASSERT_EQ(spectre.Draw(back), DD_OK);
        EXPECT_TRUE(Blitted(back, 350, 250, Spectre::sheet, Frame(5, 1), true, kBackground));
    }

    spectre.sound->Stop();
    spectre.Vanish();
    EXPECT_EQ(spectre.phase, Vanishing);
    EXPECT_TRUE(IsPlaying(spectre.sound)) << "it sounds again as it goes";
    for (int draw = 1; draw <= 11; ++draw) {
        EXPECT_EQ(spectre.Update(), Vanishing);
        Fill(back, kBackground);
        ASSERT_EQ(spectre.Draw(back), DD_OK);
        const int shown = 12 - draw;
        EXPECT_TRUE(Blitted(back, 350, 250, Spectre::sheet, Frame(shown % 6, shown / 6), true,
                            kBackground))
            << "draw " << draw;
        EXPECT_EQ(spectre.phase, draw < 11 ? Vanishing : Gone) << "draw " << draw;
    }
    EXPECT_EQ(spectre.frame, 0);
    Fill(back, kBackground);
    EXPECT_EQ(spectre.Draw(back), DD_OK);
    EXPECT_TRUE(Untouched(back, area, kBackground));
    EXPECT_EQ(spectre.Update(), Gone);
}

TEST_F(SpectreTest, BouncesAtEachWall) {
    struct Case {
        int x, y, velX, velY;
        int endX, endY, endVelX, endVelY;
    };
    // Each bounce draws one number; from state 1 that is 41, giving speed 1.
    const Case cases[] = {
        {748, 300, 3, 2, 749, 302, -1, 2},  {52, 300, -3, 2, 51, 302, 1, 2},
        {400, 548, 2, 3, 402, 549, 2, -1},  {400, 52, 2, -3, 402, 51, 2, 1},
        {749, 549, 0, 0, 749, 549, 0, 0},
    };
    for (const Case& c : cases) {
        SetGameRandomState(1);
        Spectre spectre(3);
        spectre.phase = Active;
        spectre.x = c.x;
        spectre.y = c.y;
        spectre.velX = c.velX;
        spectre.velY = c.velY;
        SetGameRandomState(1);
        EXPECT_EQ(spectre.Update(), Active);
        EXPECT_EQ(spectre.x, c.endX) << c.x << "," << c.y;
        EXPECT_EQ(spectre.y, c.endY) << c.x << "," << c.y;
        EXPECT_EQ(spectre.velX, c.endVelX) << c.x << "," << c.y;
        EXPECT_EQ(spectre.velY, c.endVelY) << c.x << "," << c.y;
    }
    // Many bounces: speeds stay 1..maxSpeed away from the wall, image on screen.
    Spectre spectre(7);
    spectre.phase = Active;
    for (int i = 0; i < 20000; ++i) {
        spectre.Update();
        ASSERT_GE(spectre.x - 50, 1);
        ASSERT_LE(spectre.x + 50, 799);
        ASSERT_GE(spectre.y - 50, 1);
        ASSERT_LE(spectre.y + 50, 599);
        ASSERT_GE(std::abs(spectre.velX), 1);
        ASSERT_LE(std::abs(spectre.velX), 7);
    }
}

}  // namespace

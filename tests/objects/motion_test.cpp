// Motion, chance and the state rules that need no drawing. Expected numbers
// are worked out by hand from the rules of each object, using the raw values
// of the sequence from state 1: 41, 18467, 6334, 26500, 19169, 15724, ...
// A scaled draw is trunc(raw * s * k) with s = 2^-15 + 2^-30 (just above
// 1/32768), so for k = 3: 41 -> 0, 18467 -> 1 (1.69), 6334 -> 0 (0.58),
// 26500 -> 2 (2.43), 19169 -> 1 (1.75), 15724 -> 1 (1.44).
#include <gtest/gtest.h>

#include <cmath>

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/game_random.h"
#include "objects/sprite.h"
#include "objects/wanderer.h"

namespace {

class FromRunStart : public ::testing::Test {
protected:
    void SetUp() override { SetGameRandomState(1); }
};

using GameRandomTest = FromRunStart;

TEST_F(GameRandomTest, FirstValuesOfARun) {
    EXPECT_EQ(GameRandom(), 41);
    EXPECT_EQ(GameRandom(), 18467);
    EXPECT_EQ(GameRandom(), 6334);
    EXPECT_EQ(GameRandom(), 26500);
}

// Finds a state whose next raw value is `wanted`, so the scaling can be
// checked at chosen raw values through the real generator.
std::uint32_t StateBefore(int wanted) {
    // The raw value is bits 16..30 of the next state; the LCG step is a
    // bijection, so invert it: previous = (next - c) * inverse(a) mod 2^32.
    const std::uint32_t a = 214013u;
    std::uint32_t inverse = a;  // right in the low 3 bits for any odd a
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - a * inverse;  // Newton step for the inverse mod 2^32
    }
    const std::uint32_t next = static_cast<std::uint32_t>(wanted) << 16;
    return (next - 2531011u) * inverse;
}

TEST_F(GameRandomTest, ScaledDrawNeverReachesItsLimit) {
    struct Case {
        int raw;
        int k;
        int expected;
    };
    const Case cases[] = {
        {32767, 4, 3}, {0, 4, 0},     {8191, 4, 0},    {8192, 4, 1},   {32767, 1, 0},
        {32767, 3, 2}, {10923, 3, 1}, {10922, 3, 0},   {32767, -4, -3}, {8192, -4, -1},
        {32767, 698, 697}, {0, 698, 0}, {16384, 2, 1}, {16383, 2, 0},
    };
    for (const Case& c : cases) {
        const std::uint32_t s = StateBefore(c.raw);
        SetGameRandomState(s);
        ASSERT_EQ(GameRandom(), c.raw) << "state inversion";
        SetGameRandomState(s);
        EXPECT_EQ(RandomScaled(c.k), c.expected) << "raw " << c.raw << " k " << c.k;
    }
    // Every draw from 0 to 8191 scales to 0 for k = 4.
    for (int raw = 0; raw <= 8191; raw += 97) {
        SetGameRandomState(StateBefore(raw));
        EXPECT_EQ(RandomScaled(4), 0) << raw;
    }
}

TEST(SpriteTest, DistanceGivesRecordMinusPoint) {
    Sprite sprite(100, 100, 0, 0, nullptr, nullptr);
    double dx = 0.0;
    double dy = 0.0;
    EXPECT_DOUBLE_EQ(sprite.Distance(97.0, 96.0, &dx, &dy), 5.0);
    EXPECT_DOUBLE_EQ(dx, 3.0);
    EXPECT_DOUBLE_EQ(dy, 4.0);
    EXPECT_DOUBLE_EQ(sprite.Distance(104.0, 100.0, &dx, &dy), 4.0);
    EXPECT_DOUBLE_EQ(dx, -4.0);
    EXPECT_DOUBLE_EQ(dy, 0.0);
}

TEST(CursorFigureTest, MoveClampsToKeepTheHeadOnScreen) {
    struct Case {
        int dx, dy, x, y;
    };
    const Case cases[] = {
        {1000, -1000, 749, 81}, {-1000, 1000, 51, 550}, {0, 0, 400, 300},
        {349, 250, 749, 550},   {-349, -219, 51, 81},   {350, 251, 749, 550},
    };
    for (const Case& c : cases) {
        CursorFigure cursor(400, 300);
        cursor.Move(c.dx, c.dy);
        EXPECT_EQ(cursor.x, c.x) << c.dx << "," << c.dy;
        EXPECT_EQ(cursor.y, c.y) << c.dx << "," << c.dy;
    }
    // At the limits the 100 x 100 head with its hot-spot at (50, 80) spans
    // x 1..799 and y 1..570.
    CursorFigure corner(400, 300);
    corner.Move(-1000, -1000);
    EXPECT_EQ(corner.x - corner.hotX, 1);
    EXPECT_EQ(corner.y - corner.hotY, 1);
    corner.Move(2000, 2000);
    EXPECT_EQ(corner.x - corner.hotX + 100, 799);
    EXPECT_EQ(corner.y - corner.hotY + 100, 570);
}

using WandererMotionTest = FromRunStart;

TEST_F(WandererMotionTest, ReplayOfTheFirstFrames) {
    // Blinking, no drink: the walk only. Frame 1 draws 41 -> 0 and 18467 -> 1:
    // velX = 0 + 0 - 1 = -1, velY = 0 + 1 - 1 = 0; (400, 300) -> (399, 300).
    // Frame 2 draws 6334 -> 0 and 26500 -> 2: velX = -2, velY = 1; -> (397, 301).
    Wanderer w(400, 300);
    ASSERT_EQ(w.state, Blinking);
    EXPECT_TRUE(w.Update(0.0, 0.0, 0.0));
    EXPECT_DOUBLE_EQ(w.velX, -1.0);
    EXPECT_DOUBLE_EQ(w.velY, 0.0);
    EXPECT_EQ(w.x, 399);
    EXPECT_EQ(w.y, 300);
    EXPECT_TRUE(w.Update(0.0, 0.0, 0.0));
    EXPECT_DOUBLE_EQ(w.velX, -2.0);
    EXPECT_DOUBLE_EQ(w.velY, 1.0);
    EXPECT_DOUBLE_EQ(w.posX, 397.0);
    EXPECT_DOUBLE_EQ(w.posY, 301.0);
    EXPECT_FLOAT_EQ(w.anger, 50.0f) << "no anger while blinking";
}

TEST_F(WandererMotionTest, ReplayOfSteeredFrames) {
    Wanderer w(400, 300);
    w.state = Roaming;
    // Drink at distance 50, offset (30, 40): f = 0.2. Walk gives (-1, 0), then
    // velX = -1 + (30/50*8 - -1) * 0.2 = -1 + 5.8 * 0.2 = 0.16,
    // velY = 0 + (40/50*8 - 0) * 0.2 = 1.28; pos (400.16, 301.28) -> (400, 301).
    EXPECT_TRUE(w.Update(50.0, 30.0, 40.0));
    EXPECT_DOUBLE_EQ(w.velX, 0.16);
    EXPECT_DOUBLE_EQ(w.velY, 1.28);
    EXPECT_EQ(w.x, 400);
    EXPECT_EQ(w.y, 301);
    // Distance exactly 100, offset (60, -80): f = 0.12. Walk: 0.16 - 1 = -0.84,
    // 1.28 + 1 = 2.28. velX = -0.84 + (4.8 + 0.84) * 0.12 = -0.1632,
    // velY = 2.28 + (-6.4 - 2.28) * 0.12 = 1.2384; pos (399.9968, 302.5184).
    EXPECT_TRUE(w.Update(100.0, 60.0, -80.0));
    EXPECT_NEAR(w.velX, -0.1632, 1e-12);
    EXPECT_NEAR(w.velY, 1.2384, 1e-12);
    EXPECT_NEAR(w.posX, 399.9968, 1e-12);
    EXPECT_EQ(w.x, 399) << "truncation, not rounding";
    EXPECT_EQ(w.y, 302);
    // Anger rose twice by 0.05 in single precision.
    EXPECT_FLOAT_EQ(w.anger, 50.1f);
}

TEST_F(WandererMotionTest, SteeringFactorSwitchesAtOneHundred) {
    // The first two draws make the walk (-1, 0); a drink straight to the right
    // then gives velX = -1 + (8 + 1) * f, so f shows directly.
    struct Case {
        double distance;
        int drinks;
        double velX;  // -1 + 9 * f
    };
    const Case cases[] = {
        {100.0, 0, -1.0 + 9 * 0.12},       {99.9, 0, -1.0 + 9 * 0.2},
        {99.9, 10, -1.0 + 9 * 0.2 * 0.8},  {100.0, 25, -1.0 + 9 * 0.12 * 0.5},
        {99.9, 50, -1.0},                  {99.9, 60, -1.0 - 9 * 0.2 * 0.2},
    };
    for (const Case& c : cases) {
        SetGameRandomState(1);
        Wanderer w(400, 300);
        w.state = Roaming;
        w.drinks = c.drinks;
        w.Update(c.distance, c.distance, 0.0);
        EXPECT_NEAR(w.velX, c.velX, 1e-12) << c.distance << " drinks " << c.drinks;
        EXPECT_DOUBLE_EQ(w.velY, 0.0);
    }
}

TEST_F(WandererMotionTest, NoSteeringInTheBoxOrWhileRaging) {
    Wanderer w(400, 300);
    w.state = Boxed;
    w.Update(50.0, 50.0, 0.0);
    EXPECT_DOUBLE_EQ(w.velX, -1.0) << "walk only";
    EXPECT_DOUBLE_EQ(w.velY, 0.0);
    EXPECT_FLOAT_EQ(w.anger, 50.0f) << "anger rises only while roaming";
}

TEST_F(WandererMotionTest, RagingShakeGrowsEveryTwentyFrames) {
    // k = 5 + 2 * trunc(ticks * 0.05), h = (k - 1) / 2; vel = draw(k) - h.
    // ticks 0: k 5, h 2: 41 -> 0, 18467 -> 2 (2.82): (-2, 0).
    // ticks 20: k 7, h 3: 6334 -> 1 (1.35), 26500 -> 5 (5.66): (-2, 2).
    // ticks 139: k 17, h 8: 19169 -> 9 (9.95), 15724 -> 8 (8.16): (1, 0).
    Wanderer w(400, 300);
    w.state = Raging;
    w.velX = 30.0;  // replaced, not added to
    const struct {
        int ticks;
        double velX, velY;
    } frames[] = {{0, -2.0, 0.0}, {20, -2.0, 2.0}, {139, 1.0, 0.0}};
    double px = 400.0;
    double py = 300.0;
    for (const auto& f : frames) {
        w.ticks = f.ticks;
        EXPECT_TRUE(w.Update(100.0, 100.0, 0.0)) << "a drink does not steer him";
        EXPECT_DOUBLE_EQ(w.velX, f.velX) << f.ticks;
        EXPECT_DOUBLE_EQ(w.velY, f.velY) << f.ticks;
        px += f.velX;
        py += f.velY;
        EXPECT_DOUBLE_EQ(w.posX, px);
        EXPECT_DOUBLE_EQ(w.posY, py);
    }
    EXPECT_FLOAT_EQ(w.anger, 50.0f);
}

TEST_F(WandererMotionTest, RagingSpanCoversItsRange) {
    // Over many frames at ticks 139 (k 17) every velocity lies in -8..8 and
    // both ends occur.
    Wanderer w(400, 300);
    w.state = Raging;
    w.ticks = 139;
    int lowest = 0;
    int highest = 0;
    for (int i = 0; i < 2000; ++i) {
        w.Update(0.0, 0.0, 0.0);
        lowest = std::min(lowest, static_cast<int>(w.velX));
        highest = std::max(highest, static_cast<int>(w.velX));
        ASSERT_EQ(w.velX, std::trunc(w.velX));
    }
    EXPECT_EQ(lowest, -8);
    EXPECT_EQ(highest, 8);
}

TEST_F(WandererMotionTest, ClampsInOrder) {
    // Boxed: walk only, no anger. The first draws make the walk (-1, 0).
    struct Case {
        double posX, posY, velX, velY;
        double endX, endY, endVelX, endVelY;
    };
    const Case cases[] = {
        {740, 300, 10, 0, 745, 300, 0, 0},      // 740 + 9 = 749 -> 745
        {736, 300, 10, 0, 745, 300, 0, 0},      // exactly 745 counts as reached
        {735, 300, 10, 0, 744, 300, 9, 0},      // 744 stays
        {55, 300, -10, 0, 50, 300, 0, 0},       // 55 - 11 -> 50
        {61, 300, -10, 0, 50, 300, 0, 0},       // exactly 50 counts as reached
        {400, 545, 0, 10, 399, 550, -1, 0},     // 555 -> 550
        {400, 70, 0, -10, 399, 67, -1, 0},      // 60 -> 67
        {400, 77, 0, -10, 399, 67, -1, 0},      // exactly 67 counts as reached
        {744, 549, 10, 10, 745, 550, 0, 0},     // corner: both axes
    };
    for (const Case& c : cases) {
        SetGameRandomState(1);
        Wanderer w(400, 300);
        w.state = Boxed;
        w.posX = c.posX;
        w.posY = c.posY;
        w.velX = c.velX;
        w.velY = c.velY;
        w.Update(0.0, 0.0, 0.0);
        EXPECT_DOUBLE_EQ(w.posX, c.endX) << c.posX << "," << c.posY;
        EXPECT_DOUBLE_EQ(w.posY, c.endY) << c.posX << "," << c.posY;
        EXPECT_DOUBLE_EQ(w.velX, c.endVelX) << c.posX << "," << c.posY;
        EXPECT_DOUBLE_EQ(w.velY, c.endVelY) << c.posX << "," << c.posY;
        EXPECT_EQ(w.x, static_cast<int>(c.endX));
        EXPECT_EQ(w.y, static_cast<int>(c.endY));
    }
}

TEST_F(WandererMotionTest, NeverLeavesHisArea) {
    // A drink far off in a corner pulls him into it for a long time; the walk
    // and the pull together must never take him out of 50..745 x 67..550.
    Wanderer w(400, 300);
    w.state = Blinking;
    const double corners[4][2] = {{0, 0}, {800, 0}, {800, 600}, {0, 600}};
    for (int i = 0; i < 4000; ++i) {
        const double* c = corners[(i / 500) % 4];
        const double dx = c[0] - w.x;
        const double dy = c[1] - w.y;
        w.Update(std::sqrt(dx * dx + dy * dy), dx, dy);
        ASSERT_GE(w.posX, 50.0);
        ASSERT_LE(w.posX, 745.0);
        ASSERT_GE(w.posY, 67.0);
        ASSERT_LE(w.posY, 550.0);
    }
}

TEST_F(WandererMotionTest, AngerReachesItsLimitAfterExactlyAThousandRoamingFrames) {
    Wanderer w(400, 300);
    w.state = Roaming;
    for (int frame = 1; frame < 1000; ++frame) {
        ASSERT_TRUE(w.Update(0.0, 0.0, 0.0));
        ASSERT_EQ(w.state, Roaming) << frame;
    }
    EXPECT_LT(w.anger, 100.0f);
    EXPECT_EQ(w.soundSlot, -1);
    EXPECT_TRUE(w.Update(0.0, 0.0, 0.0));
    EXPECT_EQ(w.state, Raging);
    EXPECT_EQ(w.anger, 100.0f) << "capped at the limit";
    EXPECT_EQ(w.soundSlot, Wanderer::kRageSlot);
    EXPECT_EQ(w.ticks, 0);
}

TEST_F(WandererMotionTest, OperationsRefusedByState) {
    struct Case {
        int state;
        bool swear, takeDrink, meetSpectre, goToBed;
    };
    const Case cases[] = {
        {Blinking, true, true, false, true}, {Roaming, true, true, true, true},
        {Raging, false, false, false, false}, {Lost, false, false, false, false},
        {Boxed, false, false, false, false},  {EatingBox + 3, false, false, false, false},
        {Asleep, false, false, false, false}, {Slept, false, false, false, false},
    };
    for (const Case& c : cases) {
        Wanderer w(400, 300);
        w.velX = 4.0;
        w.velY = -2.0;
        w.state = c.state;
        w.ticks = 7;
        EXPECT_EQ(w.MeetSpectre(), c.meetSpectre) << c.state;
        EXPECT_FLOAT_EQ(w.anger, c.meetSpectre ? 65.0f : 50.0f) << c.state;
        EXPECT_EQ(w.soundSlot, c.meetSpectre ? Wanderer::kSpectreSlot : -1) << c.state;

        // Swearing picks one of slots 1..4 with one draw; a refusal draws nothing.
        const std::uint32_t before = 12345u;
        SetGameRandomState(before);
        const int firstDraw = GameRandom();
        const int secondDraw = GameRandom();
        SetGameRandomState(before);
        const int swearSlot = 1 + RandomScaled(4);
        SetGameRandomState(before);
        w.soundSlot = -1;
        EXPECT_EQ(w.Swear(false), c.swear) << c.state;
        EXPECT_EQ(w.soundSlot, c.swear ? swearSlot : -1) << c.state;
        EXPECT_EQ(GameRandom(), c.swear ? secondDraw : firstDraw) << c.state;

        w.soundSlot = -1;
        EXPECT_EQ(w.TakeDrink(), c.takeDrink) << c.state;
        EXPECT_DOUBLE_EQ(w.velX, c.takeDrink ? 2.0 : 4.0) << c.state;
        EXPECT_DOUBLE_EQ(w.velY, c.takeDrink ? -1.0 : -2.0) << c.state;
        EXPECT_EQ(w.drinks, c.takeDrink ? 1 : 0) << c.state;
        EXPECT_EQ(w.soundSlot, c.takeDrink ? Wanderer::kTakeDrinkSlot : -1) << c.state;

        EXPECT_EQ(w.GoToBed(), c.goToBed) << c.state;
        EXPECT_EQ(w.state, c.goToBed ? static_cast<int>(Boxed) : c.state) << c.state;
        EXPECT_EQ(w.ticks, c.goToBed ? 0 : 7) << c.state;
    }
}

TEST_F(WandererMotionTest, UpdateRefusesOnceTheRoundIsOver) {
    for (int state : {static_cast<int>(Lost), static_cast<int>(Slept)}) {
        Wanderer w(400, 300);
        w.state = state;
        w.velX = 3.0;
        EXPECT_FALSE(w.Update(50.0, 30.0, 40.0));
        EXPECT_DOUBLE_EQ(w.posX, 400.0);
        EXPECT_DOUBLE_EQ(w.velX, 3.0);
        EXPECT_EQ(GameRandom(), 41) << "nothing drawn";
        SetGameRandomState(1);
    }
}

TEST_F(WandererMotionTest, ResetKeepsPositionAndMotion) {
    Wanderer w(400, 300);
    w.state = Roaming;
    for (int i = 0; i < 30; ++i) {
        w.Update(0.0, 0.0, 0.0);
    }
    w.drinks = 4;
    w.state = Raging;
    w.ticks = 33;
    const double posX = w.posX;
    const double velY = w.velY;
    w.Reset();
    EXPECT_EQ(w.state, Blinking);
    EXPECT_EQ(w.ticks, 0);
    EXPECT_EQ(w.drinks, 0);
    EXPECT_FLOAT_EQ(w.anger, 50.0f);
    EXPECT_DOUBLE_EQ(w.posX, posX);
    EXPECT_DOUBLE_EQ(w.velY, velY);
}

using BoxMotionTest = FromRunStart;

TEST_F(BoxMotionTest, BirthFromTheSequence) {
    // y = 61 + draw(506): 41 -> 0; x = 36 + draw(718): 18467 -> 404 (404.66);
    // velX = 1 + draw(5): 6334 -> 0; velY = 1 + draw(5): 26500 -> 4 (4.04).
    Box box;
    EXPECT_EQ(box.y, 61);
    EXPECT_EQ(box.x, 440);
    EXPECT_EQ(box.velX, 1);
    EXPECT_EQ(box.velY, 5);
    EXPECT_EQ(box.hotX, 35);
    EXPECT_EQ(box.hotY, 60);
    EXPECT_EQ(box.srcRect, nullptr);
}

TEST_F(BoxMotionTest, BirthStaysInBounds) {
    for (int i = 0; i < 3000; ++i) {
        Box box;
        ASSERT_GE(box.x, 36);
        ASSERT_LE(box.x, 753);
        ASSERT_GE(box.y, 61);
        ASSERT_LE(box.y, 566);
        ASSERT_GE(box.velX, 1);
        ASSERT_LE(box.velX, 5);
        ASSERT_GE(box.velY, 1);
        ASSERT_LE(box.velY, 5);
    }
}

TEST_F(BoxMotionTest, BouncesAtEachWall) {
    struct Case {
        int x, y, velX, velY;
        int endX, endY;
        int signX, signY;  // direction after the step; 0: unchanged velocity
    };
    const Case cases[] = {
        {752, 300, 5, 2, 754, 302, -1, 0}, {38, 300, -5, 2, 36, 302, 1, 0},
        {400, 565, 2, 5, 402, 567, 0, -1}, {400, 63, 2, -5, 402, 61, 0, 1},
        {754, 300, 0, 0, 754, 300, 0, 0},  // resting on the bound is not beyond it
    };
    for (const Case& c : cases) {
        Box box;
        box.x = c.x;
        box.y = c.y;
        box.velX = c.velX;
        box.velY = c.velY;
        SetGameRandomState(1);
        box.Update();
        EXPECT_EQ(box.x, c.endX);
        EXPECT_EQ(box.y, c.endY);
        // One bounce draws one number: 41 -> speed 1 + 0.
        if (c.signX != 0) {
            EXPECT_EQ(box.velX, c.signX * 1) << c.x;
        } else {
            EXPECT_EQ(box.velX, c.velX);
        }
        if (c.signY != 0) {
            EXPECT_EQ(box.velY, c.signY * 1) << c.y;
        } else {
            EXPECT_EQ(box.velY, c.velY);
        }
        EXPECT_EQ(GameRandom(), (c.signX != 0 || c.signY != 0) ? 18467 : 41);
    }
    // Over many bounces the new speed covers 1 to 5 and the image stays on
    // screen: 80 x 92 with its hot-spot at (35, 60).
    Box box;
    int seen[6] = {};
    for (int i = 0; i < 20000; ++i) {
        box.Update();
        ASSERT_GE(box.x - 35, 1);
        ASSERT_LE(box.x - 35 + 80, 799);
        ASSERT_GE(box.y - 60, 1);
        ASSERT_LE(box.y - 60 + 92, 599);
        ASSERT_GE(std::abs(box.velX), 1);
        ASSERT_LE(std::abs(box.velX), 5);
        ++seen[std::abs(box.velX)];
    }
    for (int speed = 1; speed <= 5; ++speed) {
        EXPECT_GT(seen[speed], 0) << speed;
    }
}

}  // namespace

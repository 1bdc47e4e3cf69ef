// The shell driven in-process: keys through ProcMessage, idle passes through
// OnIdle with ticks the cases choose, and the game's own fields to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/drink.h"
#include "objects/spectre.h"
#include "objects/wanderer.h"
#include "scores/digit_counter.h"
#include "scores/hiscore_table.h"
#include "scores/name_entry.h"
#include "shell/globals.h"
#include "seam/faults.h"
#include "seam/mouse.h"
#include "shell_harness.h"

namespace {

constexpr unsigned int kSpace = 32;
constexpr unsigned int kKeyI = 73;
constexpr unsigned int kKeyP = 80;
constexpr unsigned int kKeyQ = 81;
constexpr unsigned int kEnter = 13;
constexpr unsigned int kEscape = 27;

class ShellTest : public testing::Test {
protected:
    ShellUnderTest& game = Game();

    // Every case starts on the title of a fresh game, with the field empty,
    // the Wanderer calm in the middle and every tick stamp at 0.
    void SetUp() override {
        ClearField();
        game.box.reset();
        game.nameEntry.reset();
        game.finalScore.reset();
        game.state = Title;
        game.score = 0;
        game.round = 0;
        game.drinksTaken = 0;
        game.spectreCap = 1;
        game.spectreSpeed = 3;
        game.wanderer->Reset();
        PlaceWanderer(400, 300);
        game.cursor->x = 400;
        game.cursor->y = 300;
        lastFrameTick = lastSpectreTick = lastBoxTick = lastTitleTick = lastEntryTick = 0;
        seam::ClearFaults();
        game.FlushMouseBuffer();
        TakeQueuedClose();
        std::remove("debug.txt");
    }

    void TearDown() override {
        seam::ClearFaults();
        TakeQueuedClose();
    }

    // One idle pass in play at which a frame is due and no timer fires.
    void DueFrame(DWORD tick) {
        lastFrameTick = tick - 100;
        lastSpectreTick = lastBoxTick = tick;
        game.OnIdle(tick);
    }

    void ClearField() {
        for (int i = 0; i < game.drinkCount; ++i) game.drinkList[i].reset();
        for (int i = 0; i < game.spectreCount; ++i) game.spectreList[i].reset();
        game.drinkCount = 0;
        game.spectreCount = 0;
    }

    void PlaceWanderer(int x, int y) {
        game.wanderer->x = x;
        game.wanderer->y = y;
        game.wanderer->posX = x;
        game.wanderer->posY = y;
        game.wanderer->velX = 0;
        game.wanderer->velY = 0;
    }

    int Key(unsigned int key) { return game.ProcMessage(WM_KEYDOWN, key, 0); }

    // Makes the game believe the round caption went up long enough ago.
    void EndCaption() { game.roundIntroStart = static_cast<std::int32_t>(std::time(nullptr)) - 3; }

    void EnterPlay() {
        game.NewGame();
        EndCaption();
        game.OnIdle(1);
        ASSERT_EQ(game.state, Playing);
    }

    Spectre* AddSpectre(int x, int y, int phase) {
        auto* spectre = new Spectre(3);
        spectre->x = x;
        spectre->y = y;
        spectre->phase = phase;
        game.spectreList[game.spectreCount++].reset(spectre);
        return spectre;
    }
};

// ---- keys per state ---------------------------------------------------------

struct KeyCase {
    GameState from;
    unsigned int key;
    GameState to;
};

TEST_F(ShellTest, KeyTableMovesBetweenStatesAndIgnoresOtherKeys) {
    const KeyCase cases[] = {
        {Title, kKeyQ, Title},          {Title, kKeyP, Title},
        {Title, 'A', Title},            {Title, kKeyI, Instructions},
        {Title, kSpace, RoundIntro},    {Instructions, kKeyQ, Instructions},
        {Instructions, kKeyP, Instructions}, {Instructions, kKeyI, Instructions},
        {Instructions, kSpace, Title},  {Playing, kKeyP, Paused},
        {Playing, kSpace, Playing},     {Playing, kKeyQ, Title},
        {Paused, kKeyP, Playing},       {Paused, kSpace, Paused},
        {Paused, kKeyQ, Title},         {RoundIntro, kKeyP, RoundIntro},
        {RoundIntro, kSpace, RoundIntro}, {RoundIntro, kKeyQ, Title},
    };
    for (const KeyCase& c : cases) {
        SetUp();
        if (c.from == Instructions) game.ShowInstructions();
        if (c.from == Playing || c.from == Paused) EnterPlay();
        if (c.from == Paused) Key(kKeyP);
        if (c.from == RoundIntro) game.NewGame();
        ASSERT_EQ(game.state, c.from);
        Key(c.key);
        EXPECT_EQ(game.state, c.to) << "state " << c.from << " key " << c.key;
    }
}

TEST_F(ShellTest, SpaceOnTheTitleStartsRoundOneWithNoScore) {
    game.score = 1234;
    game.round = 7;
    Key(kSpace);
    EXPECT_EQ(game.state, RoundIntro);
    EXPECT_EQ(game.round, 1);
    EXPECT_EQ(game.score, 0);
}

TEST_F(ShellTest, NameEntryTakesEveryKeyAndOnlyEnterFinishes) {
    game.score = 60000;
    EnterPlay();
    game.score = 60000;
    Key(kKeyQ);
    ASSERT_EQ(game.state, EnteringName);
    for (unsigned int key : {kKeyQ, kKeyP, kSpace, static_cast<unsigned int>('Z')}) Key(key);
    EXPECT_EQ(game.state, EnteringName);
    EXPECT_STREQ(game.nameEntry->name, "qp z");
    Key(kEnter);
    EXPECT_EQ(game.state, Title);
    EXPECT_EQ(game.nameEntry.get(), nullptr);
    EXPECT_EQ(game.finalScore.get(), nullptr);
}

TEST_F(ShellTest, EscapeClosesTheProgramFromEveryState) {
    for (GameState s : {Title, Instructions, Playing, Paused, RoundIntro, EnteringName}) {
        SetUp();
        if (s == Instructions) game.ShowInstructions();
        if (s == Playing || s == Paused || s == EnteringName) EnterPlay();
        if (s == Paused) Key(kKeyP);
        if (s == RoundIntro) game.NewGame();
        if (s == EnteringName) {
            game.score = 60000;
            Key(kKeyQ);
        }
        ASSERT_EQ(game.state, s);
        EXPECT_EQ(Key(kEscape), 0);
        EXPECT_TRUE(TakeQueuedClose()) << "state " << s;
        EXPECT_EQ(game.state, s);
    }
}

TEST_F(ShellTest, EveryMessageEndsInTheFrameworksAnswer) {
    // The pointer stays hidden over the window in every state.
    EXPECT_EQ(game.ProcMessage(WM_SETCURSOR, 0, 0), 1);
    EnterPlay();
    EXPECT_EQ(game.ProcMessage(WM_SETCURSOR, 0, 0), 1);
}

// ---- idle passes and pacing -------------------------------------------------

TEST_F(ShellTest, TitleRedrawsOnlyAfterMoreThanFortyMillisecondsAcrossTheWrap) {
    const DWORD start = 0xFFFFFFF0u;
    lastTitleTick = start;
    game.OnIdle(start + 40u);
    EXPECT_EQ(lastTitleTick, start);
    const DWORD due = start + 41u;  // wraps past 0
    game.OnIdle(due);
    EXPECT_EQ(lastTitleTick, due);
}

TEST_F(ShellTest, PlayFrameRunsOnlyAfterMoreThanFortyMillisecondsAcrossTheWrap) {
    EnterPlay();
    const DWORD start = 0xFFFFFFE0u;
    lastFrameTick = start;
    lastSpectreTick = lastBoxTick = start;
    const float anger = game.wanderer->anger;
    game.OnIdle(start + 40u);
    EXPECT_EQ(lastFrameTick, start);
    EXPECT_EQ(game.wanderer->ticks, 0) << "no frame, no draw";
    const DWORD due = start + 41u;
    ASSERT_LT(due, start);
    game.OnIdle(due);
    EXPECT_EQ(lastFrameTick, due);
    EXPECT_EQ(game.wanderer->ticks, 1) << "one frame drawn";
    EXPECT_EQ(game.wanderer->anger, anger) << "still blinking";
}

TEST_F(ShellTest, SpawnTimersFireAfterTheirIntervalsAcrossTheWrap) {
    EnterPlay();
    game.spectreCap = 10;
    const DWORD start = 0xFFFFFC00u;
    lastSpectreTick = lastBoxTick = lastFrameTick = start;
    game.wanderer->state = Roaming;

    game.OnIdle(start + 1000u);
    EXPECT_EQ(game.spectreCount, 0);
    game.OnIdle(start + 1001u);
    EXPECT_EQ(game.spectreCount, 1);
    EXPECT_EQ(lastSpectreTick, start + 1001u);

    lastFrameTick = start + 6000u;  // no frame: only the timers act
    game.OnIdle(start + 6000u);
    EXPECT_EQ(game.box.get(), nullptr);
    game.OnIdle(start + 6001u);
    ASSERT_NE(game.box.get(), nullptr);
    EXPECT_EQ(lastBoxTick, start + 6001u);
}

TEST_F(ShellTest, NoBoxWhileTheWandererIsInOneAndTheStampMovesAnyway) {
    EnterPlay();
    game.wanderer->state = Boxed;
    lastFrameTick = 7000;
    game.OnIdle(7000);
    EXPECT_EQ(game.box.get(), nullptr);
    EXPECT_EQ(lastBoxTick, 7000u);
}

TEST_F(ShellTest, SpectreCapHoldsAndTheStampMovesWithoutASpawn) {
    EnterPlay();
    game.spectreCap = 1;
    lastFrameTick = 3000;
    game.OnIdle(1001);
    ASSERT_EQ(game.spectreCount, 1);
    lastFrameTick = 3000;
    game.OnIdle(2002);
    EXPECT_EQ(game.spectreCount, 1);
    EXPECT_EQ(lastSpectreTick, 2002u);
}

TEST_F(ShellTest, RoundCaptionGivesWayToPlayOnlyAfterMoreThanTwoSeconds) {
    game.NewGame();
    game.roundIntroStart = static_cast<std::int32_t>(std::time(nullptr)) + 10;
    game.OnIdle(100);
    EXPECT_EQ(game.state, RoundIntro);
    EndCaption();
    game.OnIdle(100);
    EXPECT_EQ(game.state, Playing);
}

// ---- lists ------------------------------------------------------------------

TEST_F(ShellTest, TwentySixthDrinkIsRefusedUntilOneIsTaken) {
    // 40 pixels apart, so that he reaches one only.
    for (int i = 0; i < 26; ++i) game.DropDrink(60 + 40 * (i % 13), 100 + 300 * (i / 13));
    EXPECT_EQ(game.drinkCount, 25);
    PlaceWanderer(60, 100);
    double dx = 0;
    double dy = 0;
    game.FindNearestDrink(&dx, &dy);
    EXPECT_EQ(game.drinkCount, 24);
    game.DropDrink(700, 100);
    EXPECT_EQ(game.drinkCount, 25);
}

TEST_F(ShellTest, NoDrinksGiveDistanceAndOffsetsZero) {
    double dx = 5;
    double dy = 5;
    EXPECT_EQ(game.FindNearestDrink(&dx, &dy), 0.0);
    EXPECT_EQ(dx, 0.0);
    EXPECT_EQ(dy, 0.0);
}

TEST_F(ShellTest, TakenDrinkIsReplacedByTheLastWhichWaitsForTheNextPass) {
    PlaceWanderer(400, 300);
    game.DropDrink(410, 300);  // within reach
    game.DropDrink(700, 500);  // far
    game.DropDrink(400, 310);  // within reach, moved into slot 0 when the first goes
    Drink* third = game.drinkList[2].get();
    double dx = 0;
    double dy = 0;
    const double nearest = game.FindNearestDrink(&dx, &dy);
    EXPECT_EQ(game.drinkCount, 2);
    EXPECT_EQ(game.drinkList[0].get(), third);
    EXPECT_EQ(game.drinksTaken, 1);
    // The taken drink still steers this frame: it was the first of the nearest.
    EXPECT_DOUBLE_EQ(nearest, 10.0);
    EXPECT_DOUBLE_EQ(dx, 10.0);
    EXPECT_DOUBLE_EQ(dy, 0.0);

    // The next pass visits the moved drink and takes it too.
    game.FindNearestDrink(&dx, &dy);
    EXPECT_EQ(game.drinkCount, 1);
    EXPECT_EQ(game.drinksTaken, 2);
}

TEST_F(ShellTest, FirstOfEqualDistancesSteers) {
    PlaceWanderer(400, 300);
    game.DropDrink(500, 300);
    game.DropDrink(300, 300);
    double dx = 0;
    double dy = 0;
    EXPECT_DOUBLE_EQ(game.FindNearestDrink(&dx, &dy), 100.0);
    EXPECT_DOUBLE_EQ(dx, 100.0);
    EXPECT_DOUBLE_EQ(dy, 0.0);
}

TEST_F(ShellTest, GoneSpectreIsRemovedAndTheMovedOneWaitsForTheNextPass) {
    PlaceWanderer(100, 100);
    Spectre* first = AddSpectre(600, 500, Gone);
    Spectre* second = AddSpectre(600, 300, Active);
    Spectre* third = AddSpectre(700, 500, Gone);
    (void)first;
    game.CheckContacts();
    ASSERT_EQ(game.spectreCount, 2);
    EXPECT_EQ(game.spectreList[0].get(), third);
    EXPECT_EQ(game.spectreList[1].get(), second);
    game.CheckContacts();
    ASSERT_EQ(game.spectreCount, 1);
    EXPECT_EQ(game.spectreList[0].get(), second);
}

// ---- the mouse in play -----------------------------------------------------

TEST_F(ShellTest, ButtonsActOnEveryPassEvenWithoutAFrame) {
    EnterPlay();
    seam::InjectMouseButton(0, true);
    seam::InjectMouseButton(0, false);
    seam::InjectMouseButton(0, true);
    seam::InjectMouseButton(1, true);
    seam::InjectMouseButton(1, false);
    lastFrameTick = lastSpectreTick = lastBoxTick = 5000;
    game.OnIdle(5000);  // no frame due
    ASSERT_EQ(game.drinkCount, 2);
    EXPECT_EQ(game.drinkList[0]->x, game.cursor->x);
    EXPECT_EQ(game.drinkList[0]->y, game.cursor->y);
    EXPECT_EQ(game.score, 1);
    EXPECT_EQ(lastFrameTick, 5000u);
}

TEST_F(ShellTest, MotionMovesTheCursorFigureOnlyInFrames) {
    EnterPlay();
    game.cursor->x = 400;
    game.cursor->y = 300;
    seam::InjectMouseMotion(-30, 25);
    lastFrameTick = lastSpectreTick = lastBoxTick = 5000;
    game.OnIdle(5000);
    EXPECT_EQ(game.cursor->x, 400);
    DueFrame(5200);
    EXPECT_EQ(lastFrameTick, 5200u);
    EXPECT_EQ(game.cursor->x, 370);
    EXPECT_EQ(game.cursor->y, 325);
}

TEST_F(ShellTest, OverflowingMouseBufferKeepsThePlayGoing) {
    EnterPlay();
    // Away from the Wanderer, who would take the drinks in the frame.
    game.cursor->x = 100;
    game.cursor->y = 500;
    for (int i = 0; i < 8; ++i) {
        seam::InjectMouseButton(0, true);
        seam::InjectMouseButton(0, false);
    }
    DueFrame(5000);
    EXPECT_EQ(DebugLog(), "");
    EXPECT_FALSE(TakeQueuedClose());
    EXPECT_EQ(game.state, Playing);
    EXPECT_EQ(game.drinkCount, 5) << "the ten events the buffer kept";
    EXPECT_EQ(lastFrameTick, 5000u);
}

TEST_F(ShellTest, LostMouseIsAcquiredAgainAndCostsTheFrame) {
    EnterPlay();
    // Not acquired (the window was in the background) is the same as lost.
    for (auto call : {seam::FaultCall::GetDeviceData, seam::FaultCall::GetDeviceState}) {
        for (HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED}) {
            seam::FailNextCalls(call, 1, lost);
            DueFrame(6000);
            EXPECT_EQ(lastFrameTick, 5900u);
            DueFrame(6000);
            EXPECT_EQ(lastFrameTick, 6000u);
        }
    }
    EXPECT_EQ(DebugLog(), "");
    EXPECT_FALSE(TakeQueuedClose());
}

TEST_F(ShellTest, FailedMouseStateEndsTheProgram) {
    EnterPlay();
    seam::FailNextCalls(seam::FaultCall::GetDeviceState, 1, E_FAIL);
    DueFrame(6000);
    EXPECT_EQ(DebugLog(), "ERROR: Aborting\nDirectX error.\n");
    EXPECT_TRUE(TakeQueuedClose());
}

TEST_F(ShellTest, BusyOrLostSurfacesCostOneFrameAndWriteNothing) {
    struct {
        seam::FaultCall call;
        HRESULT result;
    } const cases[] = {
        {seam::FaultCall::BltFast, DDERR_WASSTILLDRAWING},
        {seam::FaultCall::Flip, DDERR_WASSTILLDRAWING},
        {seam::FaultCall::BltFast, DDERR_SURFACELOST},
        {seam::FaultCall::Flip, DDERR_SURFACELOST},
    };
    EnterPlay();
    DWORD tick = 10000;
    for (const auto& c : cases) {
        seam::FailNextCalls(c.call, 1, c.result);
        const int ticksBefore = game.wanderer->ticks;
        DueFrame(tick);
        EXPECT_EQ(lastFrameTick, tick - 100) << "the frame is dropped";
        DueFrame(tick);
        EXPECT_EQ(lastFrameTick, tick) << "the next pass draws it";
        EXPECT_NE(game.wanderer->ticks, ticksBefore);
        tick += 1000;
    }
    EXPECT_EQ(DebugLog(), "");
    EXPECT_FALSE(TakeQueuedClose());
    EXPECT_EQ(game.state, Playing);
}

// ---- sound ----------------------------------------------------------------

// The first segment of the looping music buffer as it stands.
std::vector<unsigned char> FirstSegment(IDirectSoundBuffer* buffer) {
    void* region = nullptr;
    DWORD length = 0;
    std::vector<unsigned char> bytes;
    if (buffer->Lock(0, 8000, &region, &length, nullptr, nullptr, 0) != DS_OK) return bytes;
    bytes.assign(static_cast<unsigned char*>(region), static_cast<unsigned char*>(region) + length);
    buffer->Unlock(region, length, nullptr, 0);
    return bytes;
}

TEST_F(ShellTest, MusicStreamIsRefilledOnlyWhereItPlays) {
    const std::vector<unsigned char> initial = FirstSegment(game.musicBuffer);
    ASSERT_EQ(initial.size(), 8000u);

    // On the title the stream is stopped and never pumped.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 600;) {
        game.OnIdle(GetTickCount());
        Sleep(2);
    }
    EXPECT_EQ(FirstSegment(game.musicBuffer), initial);

    // In the instructions it plays, and the segment it has left is refilled
    // with the next part of the file.
    game.ShowInstructions();
    bool refilled = false;
    for (DWORD start = GetTickCount(); !refilled && GetTickCount() - start < 5000;) {
        game.OnIdle(GetTickCount());
        refilled = FirstSegment(game.musicBuffer) != initial;
        Sleep(2);
    }
    EXPECT_TRUE(refilled);
    game.ReturnToTitle();
}

// ---- scoring ----------------------------------------------------------------

TEST_F(ShellTest, ScoreNeverGoesBelowZero) {
    game.score = 3;
    PlaceWanderer(400, 300);
    game.DropDrink(400, 300);
    double dx = 0;
    double dy = 0;
    game.FindNearestDrink(&dx, &dy);
    EXPECT_EQ(game.score, 0);
    game.AddScore(-50);
    EXPECT_EQ(game.score, 0);
    game.AddScore(7);
    EXPECT_EQ(game.score, 7);
}

TEST_F(ShellTest, ActiveSpectreCostsFiftyOnlyWhileHeRoams) {
    PlaceWanderer(400, 300);
    game.score = 120;
    Spectre* spectre = AddSpectre(450, 300, Active);
    game.wanderer->state = Blinking;
    game.CheckContacts();
    EXPECT_EQ(game.score, 120);
    EXPECT_EQ(spectre->phase, Active);

    game.wanderer->state = Roaming;
    spectre->x = 450;
    spectre->y = 300;
    spectre->velX = spectre->velY = 0;
    game.CheckContacts();
    EXPECT_EQ(game.score, 70);
    EXPECT_EQ(spectre->phase, Vanishing);

    // Vanishing: no second charge.
    game.CheckContacts();
    EXPECT_EQ(game.score, 70);
}

TEST_F(ShellTest, BoxReachedGivesAHundredAndIsGone) {
    PlaceWanderer(400, 300);
    game.box = std::make_unique<Box>();
    game.box->x = 410;
    game.box->y = 300;
    game.CheckContacts();
    EXPECT_EQ(game.box.get(), nullptr);
    EXPECT_EQ(game.score, 100);
    EXPECT_EQ(game.wanderer->state, Boxed);
}

TEST_F(ShellTest, RightClickSwearsForAPointOnlyWhenHeCan) {
    EXPECT_TRUE(game.wanderer->Swear(false));
    game.wanderer->state = Raging;
    EXPECT_FALSE(game.wanderer->Swear(false));
}

// ---- rounds -----------------------------------------------------------------

TEST_F(ShellTest, RoundLimitsComeFromTheRoundNumber) {
    struct {
        int round;
        int cap;
        int speed;
    } const cases[] = {{1, 1, 7}, {2, 2, 3}, {5, 3, 3}, {8, 4, 3}, {25, 9, 7}, {26, 10, 3}, {27, 10, 5}, {28, 10, 7}};
    for (const auto& c : cases) {
        game.round = c.round - 1;
        game.StartRound();
        EXPECT_EQ(game.round, c.round);
        EXPECT_EQ(game.spectreCap, c.cap) << "round " << c.round;
        EXPECT_EQ(game.spectreSpeed, c.speed) << "round " << c.round;
        EXPECT_EQ(game.state, RoundIntro);
        EXPECT_EQ(game.drinksTaken, 0);
    }
}

TEST_F(ShellTest, WonRoundAddsItsBonusClearsTheFieldAndStartsTheNext) {
    EnterPlay();
    game.DropDrink(100, 500);
    AddSpectre(700, 500, Active);
    game.box = std::make_unique<Box>();
    game.RoundComplete();
    EXPECT_EQ(game.score, 500);
    EXPECT_EQ(game.round, 2);
    EXPECT_EQ(game.state, RoundIntro);
    EXPECT_EQ(game.drinkCount, 0);
    EXPECT_EQ(game.spectreCount, 0);
    EXPECT_EQ(game.box.get(), nullptr);
    game.RoundComplete();
    EXPECT_EQ(game.score, 1100);
}

TEST_F(ShellTest, SleepingWandererWinsTheRoundInTheFrame) {
    EnterPlay();
    game.wanderer->state = Slept;
    lastFrameTick = 0;
    lastSpectreTick = lastBoxTick = 500;
    game.OnIdle(500);
    EXPECT_EQ(game.state, RoundIntro);
    EXPECT_EQ(game.round, 2);
    EXPECT_EQ(game.score, 500);
    EXPECT_EQ(lastFrameTick, 0u) << "the last frame is not drawn";
}

TEST_F(ShellTest, LostWandererEndsTheGameInTheFrame) {
    EnterPlay();
    game.wanderer->state = Lost;
    lastSpectreTick = lastBoxTick = 500;
    game.OnIdle(500);
    EXPECT_EQ(game.state, Title);
}

TEST_F(ShellTest, BoxOutWhenTheGameIsLostStaysForTheNextGame) {
    EnterPlay();
    Box* left = new Box();
    game.box.reset(left);
    game.DropDrink(100, 500);
    game.GameOver();
    EXPECT_EQ(game.box.get(), left);
    EXPECT_EQ(game.drinkCount, 0);
    game.NewGame();
    EXPECT_EQ(game.box.get(), left);
}

TEST_F(ShellTest, ScoreMustBeatTheTenthToEnterAName) {
    const int tenth = game.hiscores->TenthScore();
    EnterPlay();
    game.score = tenth;
    game.GameOver();
    EXPECT_EQ(game.state, Title);

    EnterPlay();
    game.score = tenth + 1;
    game.GameOver();
    EXPECT_EQ(game.state, EnteringName);
}

TEST_F(ShellTest, FinalScoreIsCentredByItsDigits) {
    struct {
        int score;
        int x;
        int width;
    } const cases[] = {{7, 385, 30}, {12345, 325, 150}, {60000, 325, 150}, {99, 370, 60}};
    for (const auto& c : cases) {
        if (c.score <= game.hiscores->TenthScore()) continue;
        SetUp();
        EnterPlay();
        game.score = c.score;
        game.GameOver();
        ASSERT_EQ(game.state, EnteringName);
        EXPECT_EQ(game.finalScore->x, c.x) << c.score;
        EXPECT_EQ(game.finalScore->y, 275);
        EXPECT_EQ(game.finalScore->width, c.width);
    }
}

// ---- DirectX results --------------------------------------------------------

TEST_F(ShellTest, CheckDXResultPassesOnlySuccessAndEndsOnUnknownFailures) {
    EXPECT_TRUE(game.CheckDXResult(0));
    EXPECT_FALSE(game.CheckDXResult(DDERR_WASSTILLDRAWING));
    EXPECT_FALSE(game.CheckDXResult(DIERR_INPUTLOST));
    EXPECT_EQ(DebugLog(), "");
    EXPECT_FALSE(TakeQueuedClose());

    for (HRESULT fatal : {static_cast<HRESULT>(E_FAIL), static_cast<HRESULT>(1)}) {
        std::remove("debug.txt");
        EXPECT_FALSE(game.CheckDXResult(fatal));
        EXPECT_EQ(DebugLog(), "ERROR: Aborting\nDirectX error.\n");
        EXPECT_TRUE(TakeQueuedClose());
    }
}

WORD PixelAt(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc = {};
    desc.dwSize = sizeof(desc);
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEAD;
    const auto* row = static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch;
    const WORD value = reinterpret_cast<const WORD*>(row)[x];
    surface->Unlock(nullptr);
    return value;
}

void Paint(IDirectDrawSurface7* surface, WORD colour) {
    DDBLTFX fx = {};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = colour;
    surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

TEST_F(ShellTest, SurfaceLossRepaintsEveryPictureAndWritesNothing) {
    struct Probe {
        IDirectDrawSurface7* surface;
        int x;
        int y;
    };
    const std::vector<Probe> probes = {
        {game.background, 400, 300},     {game.roundCaption, 75, 17},   {game.gameOverPanel, 300, 120},
        {game.instructionsScreen, 400, 300}, {Wanderer::sheet, 50, 50}, {Spectre::sheet, 550, 150},
        {Drink::sheet, 25, 60},         {Box::sheet, 40, 46},          {CursorFigure::sheet, 50, 50},
    };
    std::vector<WORD> before;
    for (const Probe& p : probes) {
        before.push_back(PixelAt(p.surface, p.x, p.y));
        Paint(p.surface, static_cast<WORD>(before.back() ^ 0x5A5A));
        ASSERT_NE(PixelAt(p.surface, p.x, p.y), before.back());
    }
    EXPECT_FALSE(game.CheckDXResult(DDERR_SURFACELOST));
    for (size_t i = 0; i < probes.size(); ++i) EXPECT_EQ(PixelAt(probes[i].surface, probes[i].x, probes[i].y), before[i]) << i;
    EXPECT_EQ(DebugLog(), "");
    EXPECT_FALSE(TakeQueuedClose());
}

TEST_F(ShellTest, LoadingAssetsAgainMakesNoNewSurfacesOrSounds) {
    IDirectDrawSurface7* const background = game.background;
    IDirectDrawSurface7* const sheet = Wanderer::sheet;
    IDirectSoundBuffer* const firstSound = Wanderer::sounds[0];
    EXPECT_EQ(game.LoadAllAssets(), 1);
    EXPECT_EQ(game.background, background);
    EXPECT_EQ(Wanderer::sheet, sheet);
    EXPECT_EQ(Wanderer::sounds[0], firstSound);
}

TEST_F(ShellTest, FatalErrorWritesTwoLinesOverAnOldLogAndAsksToClose) {
    {
        std::FILE* old = std::fopen("debug.txt", "w");
        std::fputs("an older and much longer log that must not survive\nsecond\nthird\n", old);
        std::fclose(old);
    }
    EXPECT_FALSE(game.FatalError("Failed to load hiscore table."));
    EXPECT_EQ(DebugLog(), "ERROR: Aborting\nFailed to load hiscore table.\n");
    EXPECT_TRUE(TakeQueuedClose());
}

}  // namespace

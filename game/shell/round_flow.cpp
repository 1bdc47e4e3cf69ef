// A game as a run of rounds: the start of a game and of each round with its
// caption and limits, the bonus of a won round, the end of a game and the
// name entry that may follow it.
#include <cmath>
#include <ctime>
#include <memory>

#include "shell/game_app.h"

#include "objects/box.h"
#include "objects/drink.h"
#include "objects/spectre.h"
#include "objects/sprite.h"
#include "objects/wanderer.h"
#include "scores/digit_counter.h"
#include "scores/hiscore_table.h"
#include "scores/name_entry.h"
#include "scores/score_panel.h"

namespace {

constexpr int kRoundOffset = 4;
constexpr int kBonusPerStep = 100;
constexpr int kGlyphWidth = 30;

// One third in single precision, rounded upwards, so that a multiple of three
// still divides to its whole quotient after truncation.
constexpr float kOneThird = 0.33333334f;

}  // namespace

void GameApp::NewGame() {
    round = 0;
    score = 0;
    StartRound();
}

void GameApp::StartRound() {
    state = RoundIntro;
    ++round;
    roundIntroStart = static_cast<std::int32_t>(std::time(nullptr));

    const int n = round + kRoundOffset;
    spectreCap = static_cast<int>(static_cast<float>(n) * kOneThird);
    if (spectreCap > kMaxSpectres) spectreCap = kMaxSpectres;
    spectreSpeed = (n % 3) * 2 + 3;

    drinksTaken = 0;
    wanderer->Reset();
    scorePanel->SetValues(round, score, 0);

    backBuffer->BltFast(0, 0, background, nullptr, 0);
    Sprite caption(295, 282, 0, 0, nullptr, roundCaption);
    caption.Draw(backBuffer, true);
    DigitCounter number(445, 282, 2, round);
    number.Draw(backBuffer, true);
    primary->Flip(nullptr, DDFLIP_WAIT);
}

void GameApp::RoundComplete() {
    score += (round + kRoundOffset) * kBonusPerStep;
    DestroyLists();
    box.reset();
    musicBuffer->Stop();
    interludeBuffer->Play(0, 0, DSBPLAY_LOOPING);
    StartRound();
}

void GameApp::GameOver() {
    musicBuffer->Stop();
    interludeBuffer->Play(0, 0, DSBPLAY_LOOPING);
    // The box is left where it is: it drifts on into the next game.
    DestroyLists();
    backBuffer->BltFast(0, 0, background, nullptr, 0);

    if (score > hiscores->TenthScore()) {
        state = EnteringName;
        nameEntry = std::make_unique<NameEntry>(132, 356, 530);
        const int digits = static_cast<int>(std::log10(static_cast<double>(score))) + 1;
        finalScore = std::make_unique<DigitCounter>((800 - kGlyphWidth * digits) / 2, 275, digits, score);
        return;
    }

    state = Title;
    ComposeTitle();
}

void GameApp::FinishNameEntry() {
    state = Title;
    // This first picture still shows the old table; the next redraw the new one.
    ComposeTitle();
    hiscores->AddEntry(nameEntry->name, score, "hiscores.zk");
    nameEntry.reset();
    finalScore.reset();
}

void GameApp::DestroyLists() {
    for (int i = 0; i < spectreCount; ++i) {
        spectreList[i].reset();
    }
    for (int i = 0; i < drinkCount; ++i) {
        drinkList[i].reset();
    }
    spectreCount = 0;
    drinkCount = 0;
}

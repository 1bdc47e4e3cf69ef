// One idle pass of play: the mouse, the spawn timers and, when due, one frame
// of contacts, motion and drawing. Also the object lists and the scoring.
#include "shell/game_app.h"

#include <memory>
#include <utility>

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/drink.h"
#include "objects/spectre.h"
#include "objects/wanderer.h"
#include "scores/score_panel.h"
#include "shell/globals.h"

namespace {

constexpr DWORD kFrameInterval = 40;
constexpr DWORD kSpectreInterval = 1000;
constexpr DWORD kBoxInterval = 6000;

constexpr double kBoxReach = 20.0;
constexpr double kSpectreReach = 70.0;
constexpr double kDrinkReach = 30.0;
constexpr double kFarAway = 10000.0;

constexpr int kSwearPoints = 1;
constexpr int kDrinkPoints = -5;
constexpr int kSpectrePoints = -50;
constexpr int kBoxPoints = 100;

// DI_BUFFEROVERFLOW only says that older events were dropped: the events that
// came are good, so play goes on. A mouse that is not acquired (the window was
// in the background) is the same as a lost one: acquire it again.
HRESULT MouseDataResult(HRESULT result) {
    if (result == DI_BUFFEROVERFLOW) return DI_OK;
    if (result == DIERR_NOTACQUIRED) return DIERR_INPUTLOST;
    return result;
}

// Any other failure of the immediate state is fatal.
HRESULT MouseStateResult(HRESULT result) {
    if (result == DI_OK) return DI_OK;
    if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) return DIERR_INPUTLOST;
    return 1;
}

}  // namespace

void GameApp::PlayFrame(DWORD tick) {
    const DWORD now = tick;

    PumpMusic();

    // Every waiting event is handled on every call, frame or not, so that no
    // click is lost between frames.
    DIDEVICEOBJECTDATA event = {};
    DWORD items = 1;
    if (!CheckDXResult(MouseDataResult(mouse->GetDeviceData(sizeof(event), &event, &items, 0)))) return;
    while (items != 0) {
        if (event.dwOfs == DIMOFS_BUTTON0 && event.dwData != 0) {
            DropDrink(cursor->x, cursor->y);
        } else if (event.dwOfs == DIMOFS_BUTTON1 && event.dwData != 0 && wanderer->Swear(false)) {
            AddScore(kSwearPoints);
        }
        items = 1;
        if (!CheckDXResult(MouseDataResult(mouse->GetDeviceData(sizeof(event), &event, &items, 0)))) return;
    }

    if (static_cast<DWORD>(now - lastSpectreTick) > kSpectreInterval) {
        SpawnSpectre();
        lastSpectreTick = now;
    }
    if (static_cast<DWORD>(now - lastBoxTick) > kBoxInterval) {
        SpawnBox();
        lastBoxTick = now;
    }
    if (static_cast<DWORD>(now - lastFrameTick) <= kFrameInterval) return;

    CheckContacts();
    if (box != nullptr) box->Update();

    double dx = 0.0;
    double dy = 0.0;
    const double distance = FindNearestDrink(&dx, &dy);
    if (!wanderer->Update(distance, dx, dy)) {
        if (wanderer->state == Slept)
            RoundComplete();
        else
            GameOver();
        return;
    }

    DIMOUSESTATE motion = {};
    if (!CheckDXResult(MouseStateResult(mouse->GetDeviceState(sizeof(motion), &motion)))) return;
    cursor->Move(motion.lX, motion.lY);

    // Back to front: this order is the stacking order on screen.
    if (!CheckDXResult(backBuffer->BltFast(0, 0, background, nullptr, 0))) return;
    for (int i = 0; i < drinkCount; ++i)
        if (!CheckDXResult(drinkList[i]->Draw(backBuffer, true))) return;
    for (int i = 0; i < spectreCount; ++i)
        if (!CheckDXResult(spectreList[i]->Draw(backBuffer))) return;
    if (!CheckDXResult(wanderer->Draw(backBuffer))) return;
    if (box != nullptr && !CheckDXResult(box->Draw(backBuffer, true))) return;
    if (!CheckDXResult(cursor->Draw(backBuffer, true))) return;
    if (!CheckDXResult(scorePanel->Draw(backBuffer, true))) return;
    if (!CheckDXResult(primary->Flip(nullptr, 0))) return;

    lastFrameTick = now;
}

void GameApp::DropDrink(int x, int y) {
    if (drinkCount < kMaxDrinks) {
        drinkList[drinkCount] = std::make_unique<Drink>(x, y);
        ++drinkCount;
    }
}

double GameApp::FindNearestDrink(double* dx, double* dy) {
    *dx = 0.0;
    *dy = 0.0;
    if (drinkCount == 0) return 0.0;

    double best = kFarAway;
    const double wx = wanderer->x;
    const double wy = wanderer->y;
    // The count is read on every pass: a drink taken moves the last one into
    // its slot, and that one waits for the next frame.
    for (int i = 0; i < drinkCount; ++i) {
        double ox = 0.0;
        double oy = 0.0;
        const double d = drinkList[i]->Distance(wx, wy, &ox, &oy);
        if (d < kDrinkReach) ConsumeDrink(i);
        if (d < best) {
            best = d;
            *dx = ox;
            *dy = oy;
        }
    }
    return best;
}

void GameApp::CheckContacts() {
    const double wx = wanderer->x;
    const double wy = wanderer->y;
    double ox = 0.0;
    double oy = 0.0;

    if (box != nullptr && box->Distance(wx, wy, &ox, &oy) < kBoxReach) BoxReached();

    for (int i = 0; i < spectreCount; ++i) {
        const int phase = spectreList[i]->Update();
        if (phase == Gone)
            RemoveSpectre(i);
        else if (spectreList[i]->Distance(wx, wy, &ox, &oy) < kSpectreReach)
            SpectreContact(i);
    }
}

void GameApp::ConsumeDrink(int i) {
    if (!wanderer->TakeDrink()) return;
    --drinkCount;
    drinkList[i].reset();
    drinkList[i] = std::move(drinkList[drinkCount]);
    AddScore(kDrinkPoints);
    ++drinksTaken;
    scorePanel->SetValues(-1, -1, drinksTaken);
}

void GameApp::SpawnSpectre() {
    if (spectreCount < spectreCap) {
        spectreList[spectreCount] = std::make_unique<Spectre>(spectreSpeed);
        ++spectreCount;
    }
}

void GameApp::SpectreContact(int i) {
    if (spectreList[i]->phase == Active && wanderer->MeetSpectre()) {
        spectreList[i]->Vanish();
        AddScore(kSpectrePoints);
    }
}

void GameApp::RemoveSpectre(int i) {
    --spectreCount;
    spectreList[i].reset();
    spectreList[i] = std::move(spectreList[spectreCount]);
}

void GameApp::SpawnBox() {
    if (box == nullptr && wanderer->state < 0) box = std::make_unique<Box>();
}

void GameApp::BoxReached() {
    if (wanderer->GoToBed()) {
        box.reset();
        AddScore(kBoxPoints);
    }
}

void GameApp::AddScore(int delta) {
    score += delta;
    if (score < 0) score = 0;
    scorePanel->SetValues(-1, score, -1);
}

#include "objects/wanderer.h"

#include "objects/game_random.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "sound_buffers.h"

IDirectDrawSurface7* Wanderer::sheet = nullptr;
IDirectSoundBuffer* Wanderer::sounds[Wanderer::kSoundCount] = {};
bool Wanderer::soundsMade = false;

namespace {

constexpr int kSoundIds[Wanderer::kSoundCount] = {
    res::kTakeDrinkWave, res::kSwearWave1,        res::kSwearWave2,
    res::kSwearWave3,    res::kSwearWave4,        res::kSpectreTouchWave,
    res::kEatBoxWave,    res::kFallAsleepWave,    res::kRageWave,
};

constexpr int kFrameSize = 100;
constexpr int kBlinkFrames = 50;
constexpr int kBoxedFrames = 100;
constexpr int kEatingFrameLength = 3;
constexpr int kAsleepFrames = 100;
constexpr int kSnoreFrameLength = 10;
constexpr int kRageFrames = 140;
constexpr float kAngerPerFrame = 0.05f;
constexpr float kAngerLimit = 100.0f;
constexpr float kSpectreAnger = 15.0f;
constexpr float kBoxCalming = 36.0f;

// Where he may stand: with the hot-spot at (47, 61) of a 100 x 100 frame this
// keeps the whole image on the screen.
constexpr double kMinX = 50.0;
constexpr double kMaxX = 745.0;
constexpr double kMinY = 67.0;
constexpr double kMaxY = 550.0;

bool OutOfBox(int state) { return state == Blinking || state == Roaming; }

// The 100 x 100 frame at a column and row of the sheet.
RECT SheetFrame(int column, int row) {
    return {kFrameSize * column, kFrameSize * row, kFrameSize * (column + 1), kFrameSize * (row + 1)};
}

}  // namespace

Wanderer::Wanderer(int x, int y)
    : Sprite(x, y, 47, 61, &frameRect, sheet),
      soundSlot(-1),
      drinks(0),
      state(Blinking),
      ticks(0),
      anger(50.0f),
      frameRect{0, 0, kFrameSize, kFrameSize},
      posX(x),
      posY(y),
      velX(0.0),
      velY(0.0) {
    Reset();
}

bool Wanderer::LoadAssets() {
    if (!LoadKeyedSheet(&sheet, res::kWandererBitmap)) {
        return false;
    }
    if (soundsMade) {
        return true;
    }
    soundsMade = true;
    for (int slot = 0; slot < kSoundCount; ++slot) {
        sounds[slot] = LoadWavToBuffer(directSound, kSoundIds[slot]);
        if (sounds[slot] == nullptr) {
            return false;
        }
    }
    return true;
}

void Wanderer::Reset() {
    anger = 50.0f;
    drinks = 0;
    state = Blinking;
    ticks = 0;
    soundSlot = -1;
}

bool Wanderer::IsSoundPlaying() {
    if (soundSlot == -1) {
        return false;
    }
    DWORD status = 0;
    IDirectSoundBuffer* buffer = sounds[soundSlot];
    if (buffer != nullptr) {
        buffer->GetStatus(&status);
    }
    if (status & DSBSTATUS_PLAYING) {
        return true;
    }
    soundSlot = -1;
    return false;
}

void Wanderer::PlaySound(int slot) {
    if (IsSoundPlaying()) {
        // Only one of his voices at a time: cut the old one off, ready to
        // start from its beginning next time.
        sounds[soundSlot]->SetCurrentPosition(0);
        sounds[soundSlot]->Stop();
    }
    if (sounds[slot] != nullptr) {
        sounds[slot]->Play(0, 0, 0);
    }
    soundSlot = slot;
}

bool Wanderer::Swear(bool force) {
    if (!OutOfBox(state) && !force) {
        return false;
    }
    PlaySound(kFirstSwearSlot + RandomScaled(4));
    return true;
}

bool Wanderer::Update(double distance, double dx, double dy) {
    if (state == Lost || state == Slept) {
        return false;
    }
    if (state == Raging) {
        // He shakes ever harder: the span of the random velocity grows by two
        // every 20 frames of rage.
        const int k = 5 + 2 * static_cast<int>(static_cast<float>(ticks) * 0.05f);
        const int h = (k - 1) / 2;
        velX = RandomScaled(k) - h;
        velY = RandomScaled(k) - h;
    } else {
        velX += RandomScaled(3) - 1;
        velY += RandomScaled(3) - 1;
        if (distance > 0.0 && OutOfBox(state)) {
            // Aim for 8 pixels a frame straight at the drink; every drink
            // taken blunts the pull a little more.
            const double f = (distance < 100.0 ? 0.2 : 0.12) * (1.0 - drinks * 0.02);
            velX += (dx / distance * 8.0 - velX) * f;
            velY += (dy / distance * 8.0 - velY) * f;
        }
    }
    posX += velX;
    posY += velY;
    if (posX >= kMaxX) {
        posX = kMaxX;
        velX = 0.0;
    }
    if (posX <= kMinX) {
        posX = kMinX;
        velX = 0.0;
    }
    if (posY >= kMaxY) {
        posY = kMaxY;
        velY = 0.0;
    }
    if (posY <= kMinY) {
        posY = kMinY;
        velY = 0.0;
    }
    x = static_cast<int>(posX);
    y = static_cast<int>(posY);
    if (state == Roaming) {
        anger += kAngerPerFrame;
        if (anger >= kAngerLimit) {
            state = Raging;
            anger = kAngerLimit;
            PlaySound(kRageSlot);
        }
    }
    return true;
}

bool Wanderer::TakeDrink() {
    if (!OutOfBox(state)) {
        return false;
    }
    velX /= 2.0;
    velY /= 2.0;
    ++drinks;
    PlaySound(kTakeDrinkSlot);
    return true;
}

bool Wanderer::MeetSpectre() {
    if (state != Roaming) {
        return false;
    }
    PlaySound(kSpectreSlot);
    anger += kSpectreAnger;
    return true;
}

bool Wanderer::GoToBed() {
    if (!OutOfBox(state)) {
        return false;
    }
    state = Boxed;
    ticks = 0;
    return true;
}

HRESULT Wanderer::Draw(IDirectDrawSurface7* destination) {
    if (state == Lost || state == Slept) {
        return DD_OK;  // nothing left to show; the round is over
    }
    if (state == Blinking) {
        ticks = (ticks + 1) % kBlinkFrames;
        if (ticks == 0) {
            state = Roaming;
        }
        if (ticks % 6 > 2) {
            return DD_OK;
        }
    }
    if (state >= Boxed) {
        // Box frames 10 to 19 fill the lower two rows of the sheet, five a row.
        const int row = static_cast<int>(state / 10.0 * 2.0);
        const int column = state - 5 * row;
        frameRect = SheetFrame(column, 2 + row);
        if (state == Boxed) {
            ticks = (ticks + 1) % kBoxedFrames;
            if (ticks == 0) {
                anger -= kBoxCalming;
                if (anger <= 0.0f) {
                    state = Asleep;
                    PlaySound(kFallAsleepSlot);
                } else {
                    state = EatingBox;
                    PlaySound(kEatBoxSlot);
                }
            }
        } else if (state < Asleep) {
            ticks = (ticks + 1) % kEatingFrameLength;
            if (ticks == 0) {
                ++state;
                if (state == Asleep) {
                    state = Blinking;
                }
            }
        } else {
            ticks = (ticks + 1) % kAsleepFrames;
            if (ticks == 0) {
                state = Slept;
            } else if (ticks % kSnoreFrameLength == 0) {
                ++state;
                if (state == Slept) {
                    state = Asleep;
                }
            }
        }
    } else {
        // The second row holds the same faces talking.
        const int row = IsSoundPlaying() ? 1 : 0;
        int level = static_cast<int>(anger * 0.01f * 5.0f);
        if (level > 4) {
            level = 4;
        }
        if (level < 0) {
            level = 0;
        }
        frameRect = SheetFrame(level, row);
        if (state == Raging) {
            if (!IsSoundPlaying()) {
                Swear(true);
            }
            ticks = (ticks + 1) % kRageFrames;
            if (ticks == 0) {
                state = Lost;
            }
        }
    }
    return Sprite::Draw(destination, true);
}

#include "objects/spectre.h"

#include "objects/game_random.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"
#include "sound_buffers.h"

IDirectDrawSurface7* Spectre::sheet = nullptr;

namespace {

constexpr int kFrameSize = 100;
constexpr int kLastFrame = 11;

}  // namespace

Spectre::Spectre(int maxSpeed)
    : Sprite(0, 0, 50, 50, nullptr, sheet),
      sound(nullptr),
      velX(0),
      velY(0),
      frame(0),
      phase(Appearing),
      maxSpeed(maxSpeed),
      frameRect{0, 0, kFrameSize, kFrameSize} {
    y = 51 + RandomScaled(498);
    x = 51 + RandomScaled(698);
    velX = 1 + RandomScaled(maxSpeed);
    velY = 1 + RandomScaled(maxSpeed);
    srcRect = &frameRect;
    // Each spectre has a buffer of its own, so that several can sound at once.
    sound = LoadWavToBuffer(directSound, res::kSpectreAppearWave);
    if (sound != nullptr) {
        sound->Play(0, 0, 0);
    }
}

Spectre::~Spectre() {
    if (sound != nullptr) {
        sound->Release();
    }
}

bool Spectre::LoadAssets() { return LoadKeyedSheet(&sheet, res::kSpectreBitmap); }

int Spectre::Update() {
    if (phase != Active) {
        return phase;
    }
    x += velX;
    y += velY;
    if (x > 749) {
        x = 749;
        velX = -(1 + RandomScaled(maxSpeed));
    }
    if (x < 51) {
        x = 51;
        velX = 1 + RandomScaled(maxSpeed);
    }
    if (y > 549) {
        y = 549;
        velY = -(1 + RandomScaled(maxSpeed));
    }
    if (y < 51) {
        y = 51;
        velY = 1 + RandomScaled(maxSpeed);
    }
    return phase;
}

HRESULT Spectre::Draw(IDirectDrawSurface7* destination) {
    if (phase == Gone) {
        return DD_OK;
    }
    const HRESULT result = Sprite::Draw(destination, true);
    if (phase == Appearing || phase == Vanishing) {
        frame += phase;
        // Six frames a row, two rows.
        const int row = static_cast<int>(frame / 12.0 * 2.0);
        const int column = frame - 6 * row;
        frameRect = {kFrameSize * column, kFrameSize * row, kFrameSize * (column + 1),
                     kFrameSize * (row + 1)};
        if (frame == kLastFrame) {
            phase = Active;
        }
        if (frame == 0) {
            phase = Gone;
        }
    }
    return result;
}

void Spectre::Vanish() {
    phase = Vanishing;
    if (sound != nullptr) {
        sound->Play(0, 0, 0);
    }
}

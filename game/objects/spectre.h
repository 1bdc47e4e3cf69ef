// A spectre: it materialises, bounces about, and makes a roaming Wanderer it
// touches angrier before it dematerialises again.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

#include "objects/sprite.h"

enum SpectrePhase : int {
    Appearing = 1,
    Active = 0,
    Vanishing = -1,
    Gone = -2,
};

class Spectre : public Sprite {
public:
    // Four random draws (y, x, then the two speeds) and its own sound, played at once.
    explicit Spectre(int maxSpeed);
    ~Spectre();
    Spectre(const Spectre&) = delete;
    Spectre& operator=(const Spectre&) = delete;

    static bool LoadAssets();

    // Moves while active; returns the phase (Gone: ready to be destroyed).
    int Update();
    // Draws the frame chosen last time and steps the appearing or vanishing.
    HRESULT Draw(IDirectDrawSurface7* destination);
    void Vanish();

    IDirectSoundBuffer* sound;  // null if it could not be made: a silent spectre
    int velX;
    int velY;
    int frame;
    int phase;  // a SpectrePhase
    int maxSpeed;
    RECT frameRect;

    static IDirectDrawSurface7* sheet;
};

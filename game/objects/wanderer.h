// The grumpy figure the player has to get to sleep. He drifts on his own, is
// pulled towards the nearest drink, grows angrier while he roams, and calms
// down in the box, which he eats unless he falls asleep in it.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

#include "objects/sprite.h"

// A plain int so that the play frame can test ranges: below 0 he is out of
// any box; 0 to 10 are the box states.
enum WandererState : int {
    Blinking = -4,
    Lost = -3,
    Raging = -2,
    Roaming = -1,
    Boxed = 0,
    EatingBox = 1,  // 1 to 7, one frame of the box breaking apart each
    Asleep = 8,     // 8 and 9 alternate
    Slept = 10,
};

class Wanderer : public Sprite {
public:
    static constexpr int kSoundCount = 9;
    static constexpr int kTakeDrinkSlot = 0;
    static constexpr int kFirstSwearSlot = 1;  // 1 to 4
    static constexpr int kSpectreSlot = 5;
    static constexpr int kEatBoxSlot = 6;
    static constexpr int kFallAsleepSlot = 7;
    static constexpr int kRageSlot = 8;

    Wanderer(int x, int y);

    // The sheet (again, after a restore) and, the first time only, the sounds.
    static bool LoadAssets();

    // A new round: calm, blinking, no drinks. Position, velocity and a sound
    // still playing are left as they are.
    void Reset();

    bool IsSoundPlaying();
    void PlaySound(int slot);

    bool Swear(bool force);
    // One motion step towards the nearest drink (distance 0: none out). False
    // once the round or the game is over.
    bool Update(double distance, double dx, double dy);
    bool TakeDrink();
    bool MeetSpectre();
    bool GoToBed();
    // Chooses the frame and runs the frame-counted timers, then draws.
    HRESULT Draw(IDirectDrawSurface7* destination);

    int soundSlot;  // the slot PlaySound played last; -1 none
    int drinks;
    int state;  // a WandererState
    int ticks;
    float anger;
    RECT frameRect;
    double posX;
    double posY;
    double velX;
    double velY;

    static IDirectDrawSurface7* sheet;
    static IDirectSoundBuffer* sounds[kSoundCount];
    static bool soundsMade;
};

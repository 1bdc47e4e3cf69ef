// The status bar of the play screen: the panel picture with the round, the
// score and the drinks taken drawn into its fields.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

class ScorePanel : public Sprite {
public:
    ScorePanel(int x, int y);
    ~ScorePanel();
    ScorePanel(const ScorePanel&) = delete;
    ScorePanel& operator=(const ScorePanel&) = delete;

    // Redraws the fields given; -1 leaves a field as it is.
    void SetValues(int round, int score, int drinks);

    // Loads the panel picture (no colour key).
    static bool LoadAssets();

    static IDirectDrawSurface7* picture;
};

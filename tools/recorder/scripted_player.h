// A player that plays the real game by a script, from a thread of its own,
// through the test seam's input (the same window-system events a player's
// hands make) and its fault injection. It reads the game's state to aim,
// as a player reads the screen.
#pragma once

#include <string>

#include "shell/game_app.h"

// The game as the scripted player sees it.
class RecordedGame : public GameApp {
public:
    using GameApp::box;
    using GameApp::cursor;
    using GameApp::drinkCount;
    using GameApp::round;
    using GameApp::score;
    using GameApp::state;
    using GameApp::wanderer;
};

// The scripts by name: "won-round", "raging-loss", "pause-and-lost-surfaces",
// "quit-from-caption". False for an unknown name.
bool KnownScript(const std::string& name);

// Plays `script` on `game` until the program is asked to end. Returns "" when
// the script went as planned, else what went otherwise.
std::string PlayScript(RecordedGame& game, const std::string& script);

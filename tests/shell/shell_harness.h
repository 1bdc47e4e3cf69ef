// The in-process harness of the shell tests. The framework's application is
// process-wide (the first vorlap constructed), so each test binary holds one
// GameApp, started for real through vorlapMain with the real resources and a
// play folder of its own; the test cases then run inside its InitApp, with
// the ticks, keys and idle passes under their control.
#pragma once

#include <string>

#include "shell/game_app.h"

// The shell as the cases see it: the game itself, with the parts of it that
// the cases drive and look at made reachable. Nothing else of the shell is.
class ShellUnderTest : public GameApp {
public:
    int InitApp() override;

    using GameApp::AddScore;
    using GameApp::CheckContacts;
    using GameApp::CheckDXResult;
    using GameApp::DropDrink;
    using GameApp::FatalError;
    using GameApp::FindNearestDrink;
    using GameApp::FlushMouseBuffer;
    using GameApp::GameOver;
    using GameApp::LoadAllAssets;
    using GameApp::NewGame;
    using GameApp::ReturnToTitle;
    using GameApp::RoundComplete;
    using GameApp::ShowInstructions;
    using GameApp::StartRound;

    using GameApp::background;
    using GameApp::box;
    using GameApp::cursor;
    using GameApp::drinkCount;
    using GameApp::drinkList;
    using GameApp::drinksTaken;
    using GameApp::finalScore;
    using GameApp::gameOverPanel;
    using GameApp::hiscores;
    using GameApp::instructionsScreen;
    using GameApp::musicBuffer;
    using GameApp::nameEntry;
    using GameApp::round;
    using GameApp::roundCaption;
    using GameApp::roundIntroStart;
    using GameApp::score;
    using GameApp::spectreCap;
    using GameApp::spectreCount;
    using GameApp::spectreList;
    using GameApp::spectreSpeed;
    using GameApp::state;
    using GameApp::wanderer;
};

// The started game, shared by every case of the binary.
ShellUnderTest& Game();

// Messages that the cases made the game post (WM_CLOSE from Escape or a fatal
// error) are taken out of the queue unseen; this says whether one was there.
bool TakeQueuedClose();

// The content of "debug.txt" in the play folder, or "" when there is none.
std::string DebugLog();

// The game's application object: all game state, the start-up, the state
// machine of keys and idle ticks, the play frame and the flow of rounds.
// There is exactly one, a static object of the executable's entry.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#include <dinput.h>

#include <cstdint>

#include "shell/kept_at_exit.h"
#include "vorlap.h"

class StreamBufferHandler;
class Wanderer;
class CursorFigure;
class Drink;
class Spectre;
class Box;
class ScorePanel;
class HiscoreTable;
class NameEntry;
class DigitCounter;

enum GameState : int {
    Title = 0,
    Instructions = 1,
    Playing = 2,
    Paused = 3,
    RoundIntro = 4,
    EnteringName = 5,
};

class GameApp : public vorlap {
public:
    static constexpr int kMaxDrinks = 25;
    static constexpr int kMaxSpectres = 10;

    GameApp();
    ~GameApp() override;

    int InitApp() override;
    void OnIdle(DWORD tick) override;
    int ProcMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Everything below is the shell's own. The in-process shell tests name the
    // parts they drive and look at in one subclass, ShellUnderTest; nothing
    // else reaches them.
    friend class ShellUnderTest;
    // The scripted player that records whole games (tools/recorder/) aims by them.
    friend class RecordedGame;

    // Start-up and the classification of a frame's DirectX results.
    bool FatalError(const char* message);
    bool CheckDXResult(HRESULT result);
    void ReacquireMouse();
    bool InitDirectInput();
    int LoadAllAssets();

    // States and screens.
    void PumpMusic();
    void FlushMouseBuffer();
    void DrawTitle(DWORD tick);
    void DrawNameEntry(DWORD tick);
    void ShowInstructions();
    void ReturnToTitle();

    // The play frame.
    void PlayFrame(DWORD tick);
    void DropDrink(int x, int y);
    double FindNearestDrink(double* dx, double* dy);
    void CheckContacts();
    void ConsumeDrink(int i);
    void SpawnSpectre();
    void SpectreContact(int i);
    void RemoveSpectre(int i);
    void SpawnBox();
    void BoxReached();
    void AddScore(int delta);

    // Rounds and the end of a game.
    void NewGame();
    void StartRound();
    void RoundComplete();
    void GameOver();
    void FinishNameEntry();

    std::int32_t roundIntroStart = 0;
    IDirectSoundBuffer* musicBuffer = nullptr;
    IDirectSoundBuffer* interludeBuffer = nullptr;
    KeptAtExit<StreamBufferHandler> musicStream;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    IDirectDrawSurface7* background = nullptr;
    IDirectDrawSurface7* roundCaption = nullptr;
    IDirectDrawSurface7* gameOverPanel = nullptr;
    IDirectDrawSurface7* instructionsScreen = nullptr;
    IDirectInputDevice7A* mouse = nullptr;
    HANDLE musicEvent = nullptr;
    std::int32_t drinkCount = 0;
    std::int32_t spectreCount = 0;
    std::int32_t drinksTaken = 0;
    std::int32_t spectreCap = 0;
    std::int32_t spectreSpeed = 0;
    std::int32_t score = 0;
    KeptAtExit<Wanderer> wanderer;
    KeptAtExit<Drink> drinkList[kMaxDrinks];
    KeptAtExit<CursorFigure> cursor;
    KeptAtExit<Spectre> spectreList[kMaxSpectres];
    KeptAtExit<ScorePanel> scorePanel;
    KeptAtExit<HiscoreTable> hiscores;
    KeptAtExit<Box> box;
    KeptAtExit<NameEntry> nameEntry;
    KeptAtExit<DigitCounter> finalScore;
    std::int32_t state = Title;
    std::int32_t round = 0;

    // Clears both object lists at the end of a round or a game.
    void DestroyLists();
    // The title picture: starfield, then the hiscore table over it.
    void ComposeTitle();
};

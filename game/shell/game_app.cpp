// Start-up of the game, the asset loader that also repairs lost surfaces, the
// classification of a frame's DirectX results and the fatal-error path.
#include "shell/game_app.h"

#include <fstream>
#include <memory>

#include "sound_buffers.h"
#include "stream_buffer.h"
#include "surface_helpers.h"

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/drink.h"
#include "objects/spectre.h"
#include "objects/wanderer.h"
#include "scores/digit_counter.h"
#include "scores/hiscore_table.h"
#include "scores/name_entry.h"
#include "scores/score_panel.h"
#include "scores/text_line.h"
#include "shell/globals.h"
#include "shell/resource_ids.h"

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kScreenBits = 16;
constexpr int kSoundRate = 22050;
constexpr int kSoundBits = 16;
constexpr int kSoundChannels = 1;
constexpr DWORD kMusicBufferBytes = 40000;
constexpr int kMusicSegments = 5;
constexpr DWORD kMouseEvents = 10;

}  // namespace

GameApp::GameApp() : vorlap(res::kIcon, res::kTitleString) { state = Title; }

// Releases nothing: what the game still holds is left to the end of the
// process (the fields' owning pointers do not free it either, see KeptAtExit).
GameApp::~GameApp() = default;

int GameApp::InitApp() {
    HMODULE ddrawLibrary = LoadLibraryA("ddraw.dll");
    FARPROC createEx = ddrawLibrary ? GetProcAddress(ddrawLibrary, "DirectDrawCreateEx") : nullptr;
    if (ddrawLibrary == nullptr || createEx == nullptr) {
        if (ddrawLibrary != nullptr) FreeLibrary(ddrawLibrary);
        FatalError("Could not start DirectX.  You need DirectX 7 or later to play this game.");
        return 0;
    }

    if (!InitDirectInput()) {
        FatalError("Could not initialise DirectInput.");
        return 0;
    }

    directSound = StartDirectSoundPriorityMode(GethWnd(), kSoundRate, kSoundBits, kSoundChannels);
    if (directSound == nullptr) {
        FatalError("Could not initialise DirectSound.");
        return 0;
    }

    interludeBuffer = LoadWavToBuffer(directSound, res::kInterludeWave);
    if (interludeBuffer == nullptr) {
        FatalError("Failed to load sound resource.");
        return 0;
    }

    musicEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);

    char musicFile[] = "music.zk";
    musicStream = std::make_unique<StreamBufferHandler>(directSound, musicFile, kMusicBufferBytes, kMusicSegments,
                                                        musicEvent, musicEvent);
    musicBuffer = musicStream->GetBuffer();
    if (musicBuffer == nullptr) {
        FatalError("Failed to load music buffer.");
        return 0;
    }

    directDraw = StartDirectDrawExclusiveMode(GethWnd(), kScreenWidth, kScreenHeight, kScreenBits);
    if (directDraw == nullptr) {
        FatalError("Could not start DirectDraw exclusive mode.");
        return 0;
    }

    primary = MakePrimaryFlippingChain(directDraw, &backBuffer, 1);
    if (primary == nullptr) {
        FatalError("Could not allocate primary surface chain.");
        return 0;
    }

    if (!LoadAllAssets()) {
        FatalError("Failed while loading sprite sounds and bitmaps.");
        return 0;
    }

    wanderer = std::make_unique<Wanderer>(400, 300);
    cursor = std::make_unique<CursorFigure>(400, 300);
    scorePanel = std::make_unique<ScorePanel>(0, 20);
    hiscores = std::make_unique<HiscoreTable>();
    box.reset();

    if (!hiscores->LoadFromFile("hiscores.zk")) {
        FatalError("Failed to load hiscore table.");
        return 0;
    }

    interludeBuffer->Play(0, 0, DSBPLAY_LOOPING);
    backBuffer->BltFast(0, 0, background, nullptr, 0);
    hiscores->Draw(backBuffer, true);
    {
        // Stands in the score box until the first title redraw replaces the screen.
        DigitCounter zero(430, 450, 5, 0);
        zero.Draw(backBuffer, true);
        primary->Flip(nullptr, 0);
    }
    return 1;
}

bool GameApp::InitDirectInput() {
    if (DirectInputCreateEx(GethInst(), 0x0700, IID_IDirectInput7A, reinterpret_cast<void**>(&directInput),
                            nullptr) != DI_OK)
        return false;
    if (directInput->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&mouse),
                                    nullptr) != DI_OK)
        return false;
    if (mouse->SetDataFormat(&c_dfDIMouse) != DI_OK) return false;
    if (mouse->SetCooperativeLevel(GethWnd(), DISCL_EXCLUSIVE | DISCL_FOREGROUND) != DI_OK) return false;

    DIPROPDWORD bufferSize = {};
    bufferSize.diph.dwSize = sizeof(DIPROPDWORD);
    bufferSize.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    bufferSize.diph.dwObj = 0;
    bufferSize.diph.dwHow = DIPH_DEVICE;
    bufferSize.dwData = kMouseEvents;
    if (mouse->SetProperty(DIPROP_BUFFERSIZE, &bufferSize.diph) != DI_OK) return false;

    return mouse->Acquire() == DI_OK;
}

// Also the repair after a surface loss: every loader paints into the surface
// it already has, and the sounds are made only the first time.
int GameApp::LoadAllAssets() {
    if (!Wanderer::LoadAssets()) return 0;
    if (!CursorFigure::LoadAssets()) return 0;
    if (!Drink::LoadAssets()) return 0;
    if (!Spectre::LoadAssets()) return 0;
    if (!ScorePanel::LoadAssets()) return 0;
    if (!HiscoreTable::LoadAssets()) return 0;
    if (!DigitCounter::LoadAssets()) return 0;
    if (!Box::LoadAssets()) return 0;
    if (!TextLine::LoadAssets()) return 0;

    if (!LoadBitmapToSurface(directDraw, &background, res::kStarfieldBitmap)) return 0;
    if (!LoadBitmapToSurface(directDraw, &roundCaption, res::kRoundCaptionBitmap)) return 0;
    if (!LoadBitmapToSurface(directDraw, &gameOverPanel, res::kGameOverBitmap)) return 0;
    if (!LoadBitmapToSurface(directDraw, &instructionsScreen, res::kInstructionsBitmap)) return 0;

    SetSrcColourKey(roundCaption, 0, 0);
    SetSrcColourKey(gameOverPanel, 0, 0);
    return 1;
}

void GameApp::ReacquireMouse() { mouse->Acquire(); }

bool GameApp::CheckDXResult(HRESULT result) {
    if (result == 0) return true;
    if (result == DDERR_WASSTILLDRAWING) return false;
    if (result == DIERR_INPUTLOST) {
        ReacquireMouse();
        return false;
    }
    if (result == DDERR_SURFACELOST) {
        directDraw->RestoreAllSurfaces();
        LoadAllAssets();
        return false;
    }
    FatalError("DirectX error.");
    return false;
}

bool GameApp::FatalError(const char* message) {
    std::ofstream log("debug.txt");
    log << "ERROR: Aborting" << '\n' << message << '\n';
    log.flush();
    PostMessageA(GethWnd(), WM_CLOSE, 0, 0);
    log.close();
    return false;
}

// The state machine: keys per state, the work of each state on an idle pass,
// the screens outside play and the switches between the two tunes.
#include <ctime>

#include "shell/game_app.h"

#include "stream_buffer.h"

#include "scores/digit_counter.h"
#include "scores/hiscore_table.h"
#include "scores/name_entry.h"
#include "shell/globals.h"

namespace {

constexpr WPARAM kKeySpace = 32;
constexpr WPARAM kKeyI = 73;
constexpr WPARAM kKeyP = 80;
constexpr WPARAM kKeyQ = 81;

// Screens outside play redraw only after more than this many milliseconds.
constexpr DWORD kRedrawInterval = 40;
// The round caption stays up until time() has moved on by more than this.
constexpr std::int32_t kCaptionSeconds = 2;

}  // namespace

int GameApp::ProcMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN) {
        switch (state) {
        case Title:
            if (wParam == kKeySpace)
                NewGame();
            else if (wParam == kKeyI)
                ShowInstructions();
            break;
        case Instructions:
            if (wParam == kKeySpace) ReturnToTitle();
            break;
        case Playing:
            if (wParam == kKeyP)
                state = Paused;
            else if (wParam == kKeyQ)
                GameOver();
            break;
        case Paused:
            if (wParam == kKeyP) {
                FlushMouseBuffer();
                state = Playing;
            } else if (wParam == kKeyQ) {
                GameOver();
            }
            break;
        case RoundIntro:
            if (wParam == kKeyQ) GameOver();
            break;
        case EnteringName:
            if (nameEntry->OnKey(static_cast<int>(wParam))) FinishNameEntry();
            break;
        default:
            break;
        }
    }
    // Escape and the hidden pointer are the framework's, in every state.
    return vorlap::ProcMessage(msg, wParam, lParam);
}

void GameApp::OnIdle(DWORD tick) {
    switch (state) {
    case Title:
        DrawTitle(tick);
        break;
    case Instructions:
    case Paused:
        PumpMusic();
        break;
    case Playing:
        PlayFrame(tick);
        break;
    case RoundIntro:
        if (static_cast<std::int32_t>(std::time(nullptr)) - roundIntroStart > kCaptionSeconds) {
            state = Playing;
            interludeBuffer->Stop();
            musicBuffer->Play(0, 0, DSBPLAY_LOOPING);
            // Clicks made while the caption was up drop no drinks.
            FlushMouseBuffer();
        }
        break;
    case EnteringName:
        DrawNameEntry(tick);
        break;
    default:
        break;
    }
}

void GameApp::PumpMusic() {
    // Never waits: the stream is refilled only when DirectSound has said so.
    if (MsgWaitForMultipleObjects(1, &musicEvent, FALSE, 0, QS_ALLINPUT) == WAIT_OBJECT_0) musicStream->WriteNext();
}

void GameApp::FlushMouseBuffer() {
    DWORD items = INFINITE;
    mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &items, 0);
}

void GameApp::DrawTitle(DWORD tick) {
    const DWORD now = tick;
    if (static_cast<DWORD>(now - lastTitleTick) <= kRedrawInterval) return;
    backBuffer->BltFast(0, 0, background, nullptr, 0);
    hiscores->ScrollStep();
    hiscores->Draw(backBuffer, true);
    primary->Flip(nullptr, DDFLIP_WAIT);
    lastTitleTick = now;
}

void GameApp::DrawNameEntry(DWORD tick) {
    const DWORD now = tick;
    if (static_cast<DWORD>(now - lastEntryTick) <= kRedrawInterval) return;
    backBuffer->BltFast(0, 0, background, nullptr, 0);
    backBuffer->BltFast(100, 175, gameOverPanel, nullptr, DDBLTFAST_SRCCOLORKEY);
    finalScore->Draw(backBuffer, true);
    nameEntry->Draw(backBuffer, true);
    primary->Flip(nullptr, DDFLIP_WAIT);
    lastEntryTick = now;
}

void GameApp::ShowInstructions() {
    state = Instructions;
    interludeBuffer->Stop();
    musicBuffer->Play(0, 0, DSBPLAY_LOOPING);
    backBuffer->BltFast(0, 0, instructionsScreen, nullptr, 0);
    primary->Flip(nullptr, DDFLIP_WAIT);
}

void GameApp::ReturnToTitle() {
    musicBuffer->Stop();
    interludeBuffer->Play(0, 0, DSBPLAY_LOOPING);
    state = Title;
    ComposeTitle();
}

void GameApp::ComposeTitle() {
    backBuffer->BltFast(0, 0, background, nullptr, 0);
    hiscores->Draw(backBuffer, true);
    primary->Flip(nullptr, DDFLIP_WAIT);
}

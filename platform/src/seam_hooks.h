// The table through which the test seam's library reaches the layer. The
// layer exports the Windows API and nothing else; when a seam library is
// loaded into the process, the layer finds the seam's attach function at
// start-up and hands it this table. Programs never load the seam, so the
// table stays out of their reach.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "seam/faults.h"
#include "seam/video.h"
#include "windef.h"

namespace layer::testing {

struct Hooks {
    void (*failNextCalls)(seam::FaultCall call, int count, HRESULT result);
    void (*clearFaults)();

    bool (*ensureVideo)();
    SDL_Window* (*sdlWindowOf)(HWND window);
    void (*failNextWindowCreation)();
    int (*addSdlEventObserver)(std::function<void(const SDL_Event&)> observer);
    void (*removeSdlEventObserver)(int token);
    int (*addActivationListener)(std::function<void(bool active)> listener);
    void (*removeActivationListener)(int token);
    bool (*pumpSdlEvents)();

    void (*injectMouseMotion)(int dx, int dy);
    void (*injectMouseButton)(int button, bool down);
    void (*injectMouseWheel)(int notches);

    void (*setModuleAbsent)(const char* moduleName, bool absent);
    void (*setTickBase)(DWORD base);
    bool (*decodeIcon)(HICON icon, int preferredSize, std::vector<std::uint32_t>& pixels, int& width, int& height);

    bool (*readPresentedFrame)(seam::PresentedFrame& frame);
    bool (*displayWindowed)();

    void (*useManualAudio)(int rate, int channels);
    void (*renderAudio)(short* out, int frames);
    void (*setAudioActive)(bool active);
    void (*refuseDirectSound)(bool refuse);

    void (*sleepWhenIdle)(bool on);
};

// A seam library exports `extern "C" void winlayer_seam_attach(const Hooks*)`
// under this name.
inline constexpr char kAttachSymbol[] = "winlayer_seam_attach";
using AttachFunction = void (*)(const Hooks* hooks);

// The layer's side of the seam, one function per service, each kept next to
// the state it works on.
void FailNextCalls(seam::FaultCall call, int count, HRESULT result);
void ClearFaults();
void FailNextWindowCreation();
void InjectMouseMotion(int dx, int dy);
void InjectMouseButton(int button, bool down);
void InjectMouseWheel(int notches);
void SetModuleAbsent(const char* moduleName, bool absent);
void SetTickBase(DWORD base);
bool ReadPresentedFrame(seam::PresentedFrame& frame);
bool DisplayWindowed();
void UseManualAudio(int rate, int channels);
void RenderAudio(short* out, int frames);
void SetAudioActive(bool active);
void RefuseDirectSound(bool refuse);
void SleepWhenIdle(bool on);

}  // namespace layer::testing

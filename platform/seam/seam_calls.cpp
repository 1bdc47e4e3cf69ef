// The seam's calls that the layer answers itself, through its hooks.
#include "layer_link.h"
#include "seam/audio.h"
#include "seam/faults.h"
#include "seam/idle.h"
#include "seam/modules.h"
#include "seam/mouse.h"
#include "seam/observers.h"
#include "seam/resources.h"
#include "seam/ticks.h"
#include "seam/video.h"

namespace seam {

void FailNextCalls(FaultCall call, int count, HRESULT result) { Layer().failNextCalls(call, count, result); }
void ClearFaults() { Layer().clearFaults(); }

void InjectMouseMotion(int dx, int dy) { Layer().injectMouseMotion(dx, dy); }
void InjectMouseButton(int button, bool down) { Layer().injectMouseButton(button, down); }
void InjectMouseWheel(int notches) { Layer().injectMouseWheel(notches); }

void SetModuleAbsent(const char* moduleName, bool absent) { Layer().setModuleAbsent(moduleName, absent); }
void SetTickBase(DWORD base) { Layer().setTickBase(base); }

bool DecodeIcon(HICON icon, int preferredSize, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    return Layer().decodeIcon(icon, preferredSize, pixels, width, height);
}

bool ReadPresentedFrame(PresentedFrame& frame) { return Layer().readPresentedFrame(frame); }
bool DisplayWindowed() { return Layer().displayWindowed(); }

void UseManualAudio(int rate, int channels) { Layer().useManualAudio(rate, channels); }
void RenderAudio(short* out, int frames) { Layer().renderAudio(out, frames); }
void SetAudioActive(bool active) { Layer().setAudioActive(active); }
void RefuseDirectSound(bool refuse) { Layer().refuseDirectSound(refuse); }

void SleepWhenIdle(bool on) { Layer().sleepWhenIdle(on); }

int AddActivationListener(std::function<void(bool active)> listener) {
    return Layer().addActivationListener(std::move(listener));
}
void RemoveActivationListener(int token) { Layer().removeActivationListener(token); }
int AddSdlEventObserver(std::function<void(const SDL_Event&)> observer) {
    return Layer().addSdlEventObserver(std::move(observer));
}
void RemoveSdlEventObserver(int token) { Layer().removeSdlEventObserver(token); }
bool PumpSdlEvents() { return Layer().pumpSdlEvents(); }
SDL_Window* SdlWindowOf(HWND window) {
    Layer().ensureVideo();
    return Layer().sdlWindowOf(window);
}

}  // namespace seam

// Hands the test seam its table of hooks when a seam library is in the
// process. In a program nothing answers to the attach symbol and this does
// nothing.
#include <dlfcn.h>

#include <cstring>

#include "resources_internal.h"
#include "seam_hooks.h"
#include "window_hooks.h"

namespace layer::testing {

namespace {

constexpr Hooks kHooks{
    FailNextCalls,
    ClearFaults,
    EnsureVideo,
    SdlWindowOf,
    FailNextWindowCreation,
    AddSdlEventObserver,
    RemoveSdlEventObserver,
    AddActivationListener,
    RemoveActivationListener,
    PumpSdlEvents,
    InjectMouseMotion,
    InjectMouseButton,
    InjectMouseWheel,
    SetModuleAbsent,
    SetTickBase,
    DecodeIcon,
    ReadPresentedFrame,
    DisplayWindowed,
    UseManualAudio,
    RenderAudio,
    SetAudioActive,
    RefuseDirectSound,
    SleepWhenIdle,
};

struct AttachAtLoad {
    AttachAtLoad() {
        void* symbol = dlsym(RTLD_DEFAULT, kAttachSymbol);
        if (!symbol) return;
        AttachFunction attach;
        std::memcpy(&attach, &symbol, sizeof(attach));
        attach(&kHooks);
    }
} attachAtLoad;

}  // namespace

}  // namespace layer::testing

#include "directx_world.h"

#include "objects/box.h"
#include "objects/cursor_figure.h"
#include "objects/drink.h"
#include "objects/spectre.h"
#include "objects/wanderer.h"
#include "shell/globals.h"
#include "sound_buffers.h"
#include "surface_helpers.h"
#include "test_window.h"

namespace {

DirectXWorld MakeWorld() {
    DirectXWorld world;
    world.window = CreateWindowExA(0, TestWindowClass("ObjectsTestWindow"), "objects", WS_POPUP, 0, 0, 800, 600,
                                   nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (world.window == nullptr) {
        return world;
    }
    directDraw = StartDirectDrawExclusiveMode(world.window, 800, 600, 16);
    if (directDraw == nullptr) {
        return world;
    }
    world.primary = MakePrimaryFlippingChain(directDraw, &world.backBuffer, 1);
    directSound = StartDirectSoundPriorityMode(world.window, 22050, 16, 1);
    if (world.primary == nullptr || directSound == nullptr) {
        return world;
    }
    world.ready = Wanderer::LoadAssets() && CursorFigure::LoadAssets() && Drink::LoadAssets() &&
                  Spectre::LoadAssets() && Box::LoadAssets();
    return world;
}

struct Locked {
    explicit Locked(IDirectDrawSurface7* s) : surface(s) {
        desc.dwSize = sizeof(desc);
        ok = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
    }
    ~Locked() {
        if (ok) {
            surface->Unlock(nullptr);
        }
    }
    std::uint16_t* Row(int y) const {
        return reinterpret_cast<std::uint16_t*>(static_cast<unsigned char*>(desc.lpSurface) +
                                                static_cast<std::ptrdiff_t>(y) * desc.lPitch);
    }
    IDirectDrawSurface7* surface;
    DDSURFACEDESC2 desc = {};
    bool ok = false;
};

}  // namespace

DirectXWorld& World() {
    static DirectXWorld world = MakeWorld();
    return world;
}

std::uint16_t ReadPixel(IDirectDrawSurface7* surface, int x, int y) {
    Locked lock(surface);
    return lock.ok ? lock.Row(y)[x] : 0xDEAD;
}

void WritePixel(IDirectDrawSurface7* surface, int x, int y, std::uint16_t colour) {
    Locked lock(surface);
    if (lock.ok) {
        lock.Row(y)[x] = colour;
    }
}

void Fill(IDirectDrawSurface7* surface, std::uint16_t colour) {
    Locked lock(surface);
    ASSERT_TRUE(lock.ok);
    for (DWORD y = 0; y < lock.desc.dwHeight; ++y) {
        std::uint16_t* row = lock.Row(static_cast<int>(y));
        for (DWORD x = 0; x < lock.desc.dwWidth; ++x) {
            row[x] = colour;
        }
    }
}

DWORD SourceKey(IDirectDrawSurface7* surface) {
    DDCOLORKEY key = {};
    surface->GetColorKey(DDCKEY_SRCBLT, &key);
    return key.dwColorSpaceLowValue;
}

bool IsPlaying(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    return buffer != nullptr && buffer->GetStatus(&status) == DS_OK && (status & DSBSTATUS_PLAYING) != 0;
}

::testing::AssertionResult Blitted(IDirectDrawSurface7* destination, int left, int top,
                                   IDirectDrawSurface7* source, const RECT& area, bool keyed,
                                   std::uint16_t background) {
    const DWORD key = SourceKey(source);
    std::vector<std::uint16_t> expected;
    {
        Locked from(source);
        if (!from.ok) {
            return ::testing::AssertionFailure() << "source will not lock";
        }
        for (LONG y = area.top; y < area.bottom; ++y) {
            for (LONG x = area.left; x < area.right; ++x) {
                const std::uint16_t pixel = from.Row(y)[x];
                expected.push_back(keyed && pixel == key ? background : pixel);
            }
        }
    }
    Locked to(destination);
    if (!to.ok) {
        return ::testing::AssertionFailure() << "destination will not lock";
    }
    std::size_t i = 0;
    int mismatches = 0;
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    for (LONG y = 0; y < area.bottom - area.top; ++y) {
        for (LONG x = 0; x < area.right - area.left; ++x, ++i) {
            const std::uint16_t got = to.Row(top + y)[left + x];
            if (got != expected[i] && mismatches++ == 0) {
                result = ::testing::AssertionFailure()
                         << "first difference at (" << left + x << ", " << top + y << "): got " << got
                         << ", expected " << expected[i];
            }
        }
    }
    if (mismatches > 0) {
        result << " (" << mismatches << " pixels differ)";
    }
    return result;
}

::testing::AssertionResult Untouched(IDirectDrawSurface7* surface, const RECT& area,
                                     std::uint16_t background) {
    Locked lock(surface);
    if (!lock.ok) {
        return ::testing::AssertionFailure() << "will not lock";
    }
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (lock.Row(y)[x] != background) {
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") was drawn";
            }
        }
    }
    return ::testing::AssertionSuccess();
}
